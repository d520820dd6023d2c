// World Settings Apply at grid width 4096: the whole path through the sheet (pages read,
// the view's world-settings step with its hints, undo clearing and recalculation) against
// the document's own resize and recalculation that the step is built from. Both with the
// channels kept (resampled at the same size) and made anew.
#include "DocumentFixtures.h"

#include "base/Progress.h"
#include "document/CKVDoc.h"
#include "gui/sheets/CWorldEditPages.h"
#include "gui/sheets/CWorldEditSheet.h"
#include "view/CKVView.h"
#include "view/DocumentAdapter.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTabWidget>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kWidth = 4096;

QApplication& App()
{
    static int argc = 1;
    static char name[] = "sheets_bench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

struct Scene {
    DocumentEnvironment env;
    kv::CKVDoc doc;
    kv::DocumentAdapter adapter{doc};
    ActiveDocument active{&doc};
    std::unique_ptr<kv::CKVView> view;
    std::unique_ptr<kv::CWorldEditSheet> sheet;
    Scene()
    {
        App();
        kv::SetProgressHooks(kv::SilentProgressHooks());
        doc.OnNewDocument();
        doc.GetWorld().SetResolution(kWidth, false);
        doc.Recalculate();
        view = std::make_unique<kv::CKVView>(adapter);
        view->InstallHooks();
        sheet = std::make_unique<kv::CWorldEditSheet>();
        sheet->LoadWorld(doc.GetWorld());
        sheet->show();
        sheet->RefreshPagesNow();
        for (int i = 0; i < sheet->PageCount(); ++i)
            sheet->Tabs()->setCurrentIndex(i);  // every page read by Apply
    }
};

Scene& TheScene()
{
    static Scene scene;
    return scene;
}

void BM_ApplyViaSheet(benchmark::State& state)
{
    Scene& s = TheScene();
    s.sheet->Primary()->ApplyCheck()->setChecked(state.range(0) != 0);
    s.sheet->Editing()->WidthEdit()->setText(QString::number(kWidth));
    for (auto _ : state)
        s.sheet->ApplyChanges();
    if (s.doc.GetWorld().gridWidth != kWidth)
        state.SkipWithError("the sheet did not apply the width");
}

void BM_DocumentResizeAndRecalculate(benchmark::State& state)
{
    Scene& s = TheScene();
    const bool keep = state.range(0) != 0;
    for (auto _ : state) {
        s.doc.GetWorld().SetResolution(kWidth, keep);
        if (!keep)
            s.doc.GetWorld().ClearChannels();
        s.doc.Recalculate();
    }
}

BENCHMARK(BM_ApplyViaSheet)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_DocumentResizeAndRecalculate)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace
BENCHMARK_MAIN();
