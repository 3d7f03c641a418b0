// One layout pass of a settings dialog's 30 controls, as every resize step
// runs it: the distribution arithmetic and the rectangles, without windows.
// The goal is well under a millisecond per pass.
#include <benchmark/benchmark.h>

#include "bench/LayoutTreeBench.h"

using namespace brx;

namespace {

LayoutPanePtr Tree() {
    return bench::BuildThirtyControlTree(
        [](uintptr_t token, uint32_t mode, int32_t w, int32_t h) {
            auto item = std::make_shared<LayoutItem>();
            item->window = token;
            item->mode = mode;
            item->width = item->ownWidth = w ? w : 80;
            item->height = item->ownHeight = h ? h : 60;
            item->minWidth = 40;
            item->minHeight = 20;
            return LayoutNodePtr(item);
        },
        [](uintptr_t token) { return MakeLayoutPaneCtrl(token, LM_COLUMN, 0, 5, 7, 12, 0); });
}

void BM_LayoutThirtyControls(benchmark::State& state) {
    LayoutPanePtr root = Tree();
    LayoutPlacements out;
    out.reserve(64);
    int32_t width = 300;
    for (auto _ : state) {
        out.clear();
        // A drag: the size changes on every pass.
        width = width >= 900 ? 300 : width + 7;
        root->Resize(LayoutRect{5, 5, width, width * 3 / 4}, out);
        benchmark::DoNotOptimize(out.data());
    }
    if (out.size() != bench::kLayoutControls) state.SkipWithError("not every control was placed");
    state.SetItemsProcessed(int64_t(state.iterations()) * bench::kLayoutControls);
}
BENCHMARK(BM_LayoutThirtyControls)->Unit(benchmark::kMicrosecond);

void BM_LayoutLimits(benchmark::State& state) {
    // What WM_GETMINMAXINFO asks on every step of a drag.
    LayoutPanePtr root = Tree();
    for (auto _ : state) {
        benchmark::DoNotOptimize(root->GetMinWidth() + root->GetMinHeight() + root->GetMaxWidth() +
                                 root->GetMaxHeight());
    }
}
BENCHMARK(BM_LayoutLimits)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
