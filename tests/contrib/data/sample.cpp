#include <string>

namespace shop {
    static std::string Describe(const Order& order,
                                int width = 72) noexcept;
}
