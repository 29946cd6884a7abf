// SPDX-License-Identifier: MIT
// CopyComments for the worked example, from the snapshot to the minimised window, with a
// clipboard that only keeps the text.
#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <benchmark/benchmark.h>

#include "platform/qt/Services.h"
#include "settings/Settings.h"
#include "ui/frmMain.h"

namespace {

class KeepingClipboard final : public qm::ClipboardService {
public:
    void clear() override { text.clear(); }
    void setText(const QString& newText) override { text = newText; }
    QString text;
};

void fillWorkedExample(qm::frmMain& window) {
    window.showNormal();
    window.txtSubName->setText(QStringLiteral("GetTotal"));
    window.txtSubPurpose->setText(QStringLiteral("Adds up the lines of one order"));
    window.txtSubReturns->setText(QStringLiteral("Currency; the order total"));
    window.optFunction->setChecked(true);
    window.appendParameter({"OrderID", {"No", "Long", "Order to total"}});
    window.appendParameter({"IncludeTax", {"Yes", "Boolean", "Add sales tax"}});
}

void BM_CopyComments_WorkedExample(benchmark::State& state) {
    KeepingClipboard clipboard;
    const qm::Services& qt = qm::DefaultServices();
    qm::Services services{clipboard, qt.messageBox, qt.navigator, qt.launcher};
    qm::frmMain window(services, [] { return qm::DateTime{1998, 12, 6}; });
    window.show();
    qm::TheSettings().PersonalName = "A. Developer";
    qm::TheSettings().CommentsType = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fillWorkedExample(window);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        window.CopyComments();
    }
    if (clipboard.text.isEmpty() || !window.isMinimized()) state.SkipWithError("the copy did not complete");
    state.counters["block_chars"] = static_cast<double>(clipboard.text.size());
}
BENCHMARK(BM_CopyComments_WorkedExample)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
