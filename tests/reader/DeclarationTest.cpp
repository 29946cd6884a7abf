// SPDX-License-Identifier: MIT
#include "reader/Declaration.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

namespace qm {
namespace {

// "Public Function Foo -> int | a: int; b?: const std::string&" (? marks Optional "Yes").
std::string Spell(const ProcedureDescription& d) {
    std::string s = std::string(AccessName(d.access)) + " " + std::string(KindName(d.kind)) + " " + d.name;
    if (!d.returns.empty()) s += " -> " + d.returns;
    for (std::size_t i = 0; i < d.parameters.size(); ++i) {
        const ParameterEntry& p = d.parameters[i];
        s += (i == 0 ? " | " : "; ") + p.Name +
             (p.Optional == "Yes"  ? "?"
              : p.Optional == "No" ? ""
                                   : "!") +
             ": " + p.Type;
    }
    return s;
}

struct Row {
    std::string text;
    std::string expected;  // the spelled description, or "error: why"
};

template <std::size_t N>
void CheckRows(const Row (&rows)[N], DevelopmentLanguage language) {
    for (const Row& r : rows) {
        const DeclarationResult result = ReadDeclaration(r.text, language);
        const std::string got = result ? Spell(*result.description) : "error: " + result.error;
        EXPECT_EQ(got, r.expected) << "reading: " << r.text;
    }
}

TEST(ReadDeclaration, VisualBasic) {
    const Row rows[] = {
        {"Public Function GetTotal(ByVal OrderID As Long, Optional IncludeTax As Boolean = True) As Currency",
         "Public Function GetTotal -> Currency | OrderID: Long; IncludeTax?: Boolean"},
        {"sub Main()", "Public Sub Main"},
        {"PRIVATE STATIC SUB Tick", "Private Sub Tick"},
        {"Friend Function Count%()", "Friend Function Count -> Integer"},
        {"Function Cap$(s$, n&, x!, y#, z@, w^)",
         "Public Function Cap -> String | s: String; n: Long; x: Single; y: Double; z: Currency; w: "
         "LongLong"},
        {"Function F(v)", "Public Function F -> Variant | v: Variant"},
        {"Public Property Get Item(ByVal Index As Long) As Excel.Range",
         "Public Property Item -> Excel.Range | Index: Long"},
        {"Property Let Name(ByVal RHS As String)", "Public Property Name | RHS: String"},
        {"Property Set Target(ByRef obj As Object)", "Public Property Target | obj: Object"},
        {"Property Get Value()", "Public Property Value -> Variant"},
        {"Function Bytes(a() As Byte, b(), c%()) As Byte()",
         "Public Function Bytes -> Byte() | a: Byte(); b: Variant(); c: Integer()"},
        {"Sub Log(ParamArray args() As Variant)", "Public Sub Log | args: Variant()"},
        {"Sub Log2(ByVal fmt As String, ParamArray rest())",
         "Public Sub Log2 | fmt: String; rest: Variant()"},
        {"Private Declare PtrSafe Function GetTickCount Lib \"kernel32\" () As Long",
         "Private Function GetTickCount -> Long"},
        {"Declare Sub Sleep Lib \"kernel32\" Alias \"SleepEx\" (ByVal ms As Long)",
         "Public Sub Sleep | ms: Long"},
        {"Private Declare Sub Beep CDecl Lib \"kernel32\" (dwFreq As Any)", "Private Sub Beep | dwFreq: Any"},
        {"Sub S(Optional ByVal a As String = \"x, (y)\", Optional b = Array(1, 2), Optional c As Date = "
         "#1/2/2000#)",
         "Public Sub S | a?: String; b?: Variant; c?: Date"},
        {"Sub T(Optional ByVal n As Long = &HFF&, Optional k% = -1)", "Public Sub T | n?: Long; k?: Integer"},
        // Continuations, also inside the list and between any two words; comments; a second statement.
        {"Public _\n  Function _\r\n  Multi( _\n    ByVal a As Long, _\n    b As String _\n  ) As _\n  "
         "Boolean",
         "Public Function Multi -> Boolean | a: Long; b: String"},
        {"' Gets it _\n  still comment\n\nSub A(x As Long) ' trailing _\n", "Public Sub A | x: Long"},
        {"Sub B(): x = 1", "Public Sub B"},
        {"Rem notes\nSub C()\nEnd Sub", "Public Sub C"},
        {"Function [Some Name](a As Long) As Long", "Public Function Some Name -> Long | a: Long"},
        {"Function Été(ça As String) As String", "Public Function Été -> String | ça: String"},
        {"\xEF\xBB\xBFSub Bom()", "Public Sub Bom"},
        // Not a procedure, each with its reason.
        {"", "error: no declaration"},
        {"' only a comment", "error: no declaration"},
        {"Dim x As Long", "error: a variable, not a procedure"},
        {"Private m_count As Long", "error: a variable, not a procedure"},
        {"Type Point", "error: a type definition, not a procedure"},
        {"End Sub", "error: the end of a block, not a declaration"},
        {"Event Changed()", "error: an event, not a procedure"},
        {"x = Foo(1)", "error: not a Sub, Function or Property declaration"},
        {"int add(int a, int b);", "error: this reads as C++; use --language 1"},
        {"Property Foo()", "error: Property must be followed by Get, Let or Set"},
        {"Sub (a)", "error: the procedure has no name"},
        {"Sub F(a As Long", "error: unbalanced parentheses"},
        {"Sub F(a As Long))", "error: unbalanced parentheses"},
        {"Sub F(a, ' comment\n b)", "error: unbalanced parentheses"},
        {"Sub F(s = \"x)", "error: unterminated string"},
        {"Sub F() As Long", "error: a Sub has no return type"},
        {"Property Let P(v) As Long", "error: Property Let and Set have no return type"},
        {"Function F$() As String", "error: both a type character and an As clause"},
        {"Sub F(a%  As Long)", "error: both a type character and an As clause"},
        {"Sub F(a = 1)", "error: a default value without Optional"},
        {"Sub F(ParamArray a)", "error: ParamArray a must be an array"},
        {"Sub F(a,)", "error: a parameter is missing after ','"},
        {"Sub F(a b)", "error: unexpected 'b' in the parameter list"},
        {"Sub F() x", "error: unexpected 'x' after the declaration"},
        {"Declare Function F () As Long", "error: a Declare without Lib \"library\""},
    };
    CheckRows(rows, 0);
}

TEST(ReadDeclaration, Cpp) {
    const Row rows[] = {
        {"int add(int a, int b);", "Public Function add -> int | a: int; b: int"},
        {"void reset()", "Public Sub reset"},
        {"static inline void* alloc(std::size_t n) noexcept",
         "Public Function alloc -> void* | n: std::size_t"},
        {"const  char  *  const * name( void ) const;", "Public Function name -> const char* const*"},
        {"std::map<int,std::string> const& table(const std::vector< std::vector<int> >& rows, unsigned long "
         "long n = 0)",
         "Public Function table -> std::map<int, std::string> const& | rows: const "
         "std::vector<std::vector<int>>&; n?: unsigned long long"},
        {"void f(int a = g(1, 2), std::pair<int, int> p = {3, 4}, const char* s = \"a, b\", char c = ',')",
         "Public Sub f | a?: int; p?: std::pair<int, int>; s?: const char*; c?: char"},
        {"void g(int, char*, const Foo&, int[3], int (&)[4]);",
         "Public Sub g | : int; : char*; : const Foo&; : int[3]; : int(&)[4]"},
        {"int (*getHandler(int sig))(char*);", "Public Function getHandler -> int(*)(char*) | sig: int"},
        {"void (*signal(int sig, void (*func)(int)))(int)",
         "Public Function signal -> void(*)(int) | sig: int; func: void(*)(int)"},
        {"void on(std::function<void(int, char)> cb, int (Foo::*pm)(int) const, int Foo::* field)",
         "Public Sub on | cb: std::function<void(int, char)>; pm: int(Foo::*)(int) const; field: int Foo::*"},
        {"template <typename T, typename U = std::vector<T>> T max(T a, T b)",
         "Public Function max -> T | a: T; b: T"},
        {"template <class T> requires std::integral<T> && (sizeof(T) > 2) T twice(T x)",
         "Public Function twice -> T | x: T"},
        {"template<class... Args> void log(const char* fmt, Args&&... args)",
         "Public Sub log | fmt: const char*; args: Args&&..."},
        {"void printf_like(const char* fmt, ...)", "Public Sub printf_like | fmt: const char*; : ..."},
        {"Matrix operator+(const Matrix& a, const Matrix& b)",
         "Public Function operator+ -> Matrix | a: const Matrix&; b: const Matrix&"},
        {"auto operator()(int x) const -> int", "Public Function operator() -> int | x: int"},
        {"Foo& operator,(const Foo& rhs)", "Public Function operator, -> Foo& | rhs: const Foo&"},
        {"void* operator new[](std::size_t size)",
         "Public Function operator new[] -> void* | size: std::size_t"},
        {"bool operator<(const A& l, const A& r)",
         "Public Function operator< -> bool | l: const A&; r: const A&"},
        {"std::istream& operator>>(std::istream& in, A& a)",
         "Public Function operator>> -> std::istream& | in: std::istream&; a: A&"},
        {"explicit operator const char*() const", "Public Function operator const char* -> const char*"},
        {"constexpr long double operator\"\"_km(long double v)",
         "Public Function operator\"\"_km -> long double | v: long double"},
        {"auto Foo::operator<=>(const Foo&) const = default;",
         "Public Function Foo::operator<=> -> auto | : const Foo&"},
        {"Foo(const Foo&) = delete;", "Public Sub Foo | : const Foo&"},
        {"Widget::Widget(QWidget* parent) : QWidget(parent), m_ui{new Ui::Widget} {",
         "Public Sub Widget::Widget | parent: QWidget*"},
        {"virtual ~Widget() override;", "Public Sub ~Widget"},
        {"Foo::~Foo() {}", "Public Sub Foo::~Foo"},
        {"protected: virtual void paintEvent(QPaintEvent* event) override = 0;",
         "Protected Sub paintEvent | event: QPaintEvent*"},
        {"private:\n  explicit Parser(std::string_view text);",
         "Private Sub Parser | text: std::string_view"},
        {"private slots: void onClicked(bool checked = false);", "Private Sub onClicked | checked?: bool"},
        {"private Q_SLOTS: void onClicked();", "Private Sub onClicked"},
        {"public: std::array<int, -1> signs(int x = -1)",
         "Public Function signs -> std::array<int, -1> | x?: int"},
        {"[[nodiscard]] [[deprecated(\"use other\")]] static int count([[maybe_unused]] int x) "
         "noexcept(true)",
         "Public Function count -> int | x: int"},
        {"QM_API std::string describe(const Item& item);",
         "Public Function describe -> std::string | item: const Item&"},
        {"BOOL WINAPI DllMain(HINSTANCE hinst, DWORD reason, LPVOID)",
         "Public Function DllMain -> BOOL | hinst: HINSTANCE; reason: DWORD; : LPVOID"},
        {"Q_INVOKABLE void run(int n)", "Public Sub run | n: int"},
        {"auto make() -> std::unique_ptr<Foo>", "Public Function make -> std::unique_ptr<Foo>"},
        {"auto pick(int k) -> int(*)(char*) { return x->y; }",
         "Public Function pick -> int(*)(char*) | k: int"},
        {"auto foo() -> auto(*)() -> tmp<int>(*)();", "Public Function foo -> auto(*)() -> tmp<int>(*)()"},
        {"template <class T> auto sum(T a, T b) -> decltype(a + b)",
         "Public Function sum -> decltype(a + b) | a: T; b: T"},
        {"extern \"C\" int c_api(void);", "Public Function c_api -> int"},
        {"char* copy(char* restrict dst, const char* restrict src, size_t n)",
         "Public Function copy -> char* | dst: char* restrict; src: const char* restrict; n: size_t"},
        {"std::vector<int>::iterator\nfind_it(  // where\n    std::vector<int>& v, /* what */ int x)",
         "Public Function find_it -> std::vector<int>::iterator | v: std::vector<int>&; x: int"},
        {"int main(int argc, char *argv[])", "Public Function main -> int | argc: int; argv: char*[]"},
        {"struct stat* stat_of(struct stat* st, unsigned)",
         "Public Function stat_of -> struct stat* | st: struct stat*; : unsigned"},
        {"void Outer<T>::Inner::set(T&& value) &&", "Public Sub Outer<T>::Inner::set | value: T&&"},
        {"template <typename T> typename Foo<T>::iterator Foo<T>::begin()",
         "Public Function Foo<T>::begin -> typename Foo<T>::iterator"},
        {"int (*rows())[3]", "Public Function rows -> int(*)[3]"},
        {"Foo::operator bool() const", "Public Function Foo::operator bool -> bool"},
        {"size_t f(T (&arr)[N], const char* const names[], void (*)(int))",
         "Public Function f -> size_t | arr: T(&)[N]; names: const char* const[]; : void(*)(int)"},
        // Shapes of real headers: capitals types and macros a reader takes for names.
        {"void Fill(BYTE* p, DWORD n);", "Public Sub Fill | p: BYTE*; n: DWORD"},
        {"  virtual /* [propget] */ HRESULT STDMETHODCALLTYPE get_Value( \n"
         "      /* [retval][out] */ BOOL *value) = 0;",
         "Public Function get_Value -> HRESULT | value: BOOL*"},
        {"HRESULT (STDMETHODCALLTYPE *Release)(IUnknown* This);",
         "error: a function-pointer variable, not a procedure"},
        {"INT_PTR CALLBACK DlgProc(HWND h, UINT m);",
         "Public Function DlgProc -> INT_PTR | h: HWND; m: UINT"},
        {"template <typename Mutex>\nABSL_ATTRIBUTE_NOINLINE base_sink<Mutex>::base_sink()",
         "Public Sub base_sink<Mutex>::base_sink"},
        {"SPDLOG_INLINE logger::~logger()", "Public Sub logger::~logger"},
        {"WXDLLIMPEXP_BASE wxString(const char* s) : m_impl{s} {}", "Public Sub wxString | s: const char*"},
        {"QT_DEPRECATED explicit Foo(int n);", "Public Sub Foo | n: int"},
        {"  FMT_CONSTEXPR FMT_INLINE value(char_type* x FMT_BUILTIN) {", "Public Sub value | x: char_type*"},
        {"void f(const T& x FMT_BUILTIN, long double y ALIGNED(4) = 0)",
         "Public Sub f | x: const T&; y?: long double"},
        {"void g(LPVOID lpParam OPTIONAL, int FOO, struct stat ST)",
         "Public Sub g | lpParam: LPVOID; FOO: int; ST: struct stat"},
        {"Public Sub PrintOrder(ByVal OrderID As Long)",
         "error: this reads as Visual Basic; use --language 0"},
        {"Friend Function Count(ByVal n As Long) As Long",
         "error: this reads as Visual Basic; use --language 0"},
        // Not a procedure, each with its reason.
        {"", "error: no declaration"},
        {"class Widget : public QWidget {", "error: a class head, not a procedure"},
        {"template <class T> struct Box;", "error: a class head, not a procedure"},
        {"enum class Color : int {", "error: an enum, not a procedure"},
        {"int count = 0;", "error: a variable, not a procedure"},
        {"int (*handler)(char*);", "error: a function-pointer variable, not a procedure"},
        {"#define MAX(a, b) ((a) > (b) ? (a) : (b))", "error: a macro definition, not a procedure"},
        {"Q_DECLARE_METATYPE(Foo)", "error: a macro, not a procedure"},
        {"Q_PROPERTY(int width READ width)", "error: a macro, not a procedure"},
        {"URL(const char* text)", "Public Sub URL | text: const char*"},
        {"explicit URL(const URL&)", "Public Sub URL | : const URL&"},
        {"\xEF\xBB\xBFint f(int a, // note \\\n  int b, still note\n  int c)",
         "Public Function f -> int | a: int; c: int"},
        {"return compute(x, y);", "error: a statement, not a procedure"},
        {"compute(1, 2);", "error: a call, not a declaration"},
        {"typedef int (*fn)(int);", "error: a type alias, not a procedure"},
        {"int f(int a", "error: unbalanced parentheses"},
        {"int f(int a,) ", "error: an empty parameter"},
        {"int f(int a) b;", "error: unexpected 'b' after the parameter list"},
        {"int f(const char* s = \"abc);", "error: unterminated string literal"},
        {"int f(int a) /* never closed", "error: unterminated comment"},
    };
    CheckRows(rows, 1);
}

// Each declaration of a longer text, spelled "line: access name"; nothing in a body or a
// preprocessor line counts, and a label's access holds until its class ends.
TEST(ReadDeclarations, FindsEveryDeclarationOnceInOrder) {
    const std::tuple<DevelopmentLanguage, std::string, std::string> rows[] = {
        {1, "int f(int a);\n\n  int g(int b); int h();\n", "1: Public f; 3: Public g"},
        {1,
         "#define X(a) \\\n  int fake(a);\nclass W : public QWidget {\n  "
         "Q_OBJECT\npublic:\n  explicit W(int "
         "n);\n"
         "private slots:\n  int size() const { Foo bar(baz); return 1; }\n  void click();\n};\n"
         "#include <QWidget>\n// int gone();\nW::W(int n) : QWidget(n), m_a{1} {\n  Foo inner(x);\n}\nvoid "
         "after();",
         "6: Public W; 8: Private size; 9: Private click; 13: Public W::W; 16: Public after"},
        {0,
         "Public Sub A()\nEnd Sub\n' Private Sub Gone()\nPrivate Function B( _\n  x As Long) As Long\n"
         "Friend Sub C(): End Sub",
         "1: Public A; 4: Private B; 6: Friend C"},
        {1, "class W {\nprivate Q_SLOTS:\n  void a();\n  void b();\n};\n", "3: Private a; 4: Private b"},
        {1, "template <> // (a)\nstruct S<1> {\n  void f() { Foo bar(baz); }\n};\n", "3: Public f"},
        {1,
         "PUSH_(4251 \\\n/* a ) */)\nnamespace n {\nextern \"C\" int* F(void* t) {\n  f(t)->Run();\n}\n}\n",
         "4: Public F"},
        {0, "x = 1\n' a remark\n", "error: not a Sub, Function or Property declaration"},
        {1, "' Totals\nPublic Function Total() As Currency",
         "error: this reads as Visual Basic; use --language 0"},
        {1, "\n\n", "error: no declaration"},
    };
    for (const auto& [language, text, expected] : rows) {
        const DeclarationList list = ReadDeclarations(text, language);
        std::string got = list.found.empty() ? "error: " + list.error : "";
        for (const FoundDeclaration& found : list.found) {
            const auto line = std::count(text.begin(), text.begin() + found.lineStart, '\n') + 1;
            got += (got.empty() ? "" : "; ") + std::to_string(line) + ": " +
                   std::string(AccessName(found.description.access)) + " " + found.description.name;
        }
        EXPECT_EQ(got, expected) << text;
    }
}

TEST(ReadDeclaration, RefusesOtherLanguagesAndDeepNesting) {
    EXPECT_EQ(ReadDeclaration("Sub A()", 2).error, "unknown language 2");
    EXPECT_EQ(ReadDeclaration("void a()", -1).error, "unknown language -1");
    const std::string deep = "void f(" + std::string(100000, '(') + std::string(100000, ')') + ")";
    EXPECT_EQ(ReadDeclaration(deep, 1).error, "brackets nested too deeply");
    EXPECT_EQ(ReadDeclaration("Sub F(a = " + std::string(100000, '(') + ")", 0).error,
              "brackets nested too deeply");
}

}  // namespace
}  // namespace qm
