// The coloured line list filled like a busy log: 100 000 lines added at the default
// capacity of 32 767 lines (so the oldest go in twenties), against the same number of
// plain appends to a QListWidget. Both lists are shown and laid out at the end.
#include "gui/controls/CXListBox.h"

#include "QtTestApp.h"

#include <QListWidget>

#include <benchmark/benchmark.h>

namespace {

constexpr int kLines = 100000;

void AddLines(benchmark::State& state)
{
    TestApp();
    for (auto _ : state) {
        kv::CXListBox list;
        list.resize(400, 300);
        list.show();
        for (int i = 0; i < kLines; ++i)
            list.AddLine(0x0000FF, 0xFFFFFF, QStringLiteral("Step %1 of the run finished").arg(i));
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(list.TopIndex());
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(AddLines)->Unit(benchmark::kMillisecond);

void PlainListWidgetAppends(benchmark::State& state)
{
    TestApp();
    for (auto _ : state) {
        QListWidget list;
        list.resize(400, 300);
        list.show();
        for (int i = 0; i < kLines; ++i)
            list.addItem(QStringLiteral("Step %1 of the run finished").arg(i));
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(list.count());
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(PlainListWidgetAppends)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
