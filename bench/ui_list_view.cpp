// Filling the job list: inserting N rows one at a time into a list view must take time
// linear in N (the browser's redraws are lazy), measured beside a plain vector of the same
// rows, the least any table must do. Complexity fits report the growth of both.
#include <benchmark/benchmark.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/windows/test_driver.h"
#include "ui/base/dialog.h"
#include "ui/controls/list_view.h"

namespace {

std::wstring RowText(int64_t i) {
    return L"/Users/someone/Movies/clip " + std::to_wstring(i) + L".mov";
}

void BM_ListViewInsertRows(benchmark::State& state) {
    const int64_t rows = state.range(0);
    tbx::test::ResetWindowing();
    CBK_Dialog host;
    host.Create(100, 100, 400, 300, 0, nullptr);
    for (auto _ : state) {
        CBK_ControlListView list;
        tbx::Rect bounds{10, 10, 290, 390};
        list.Create(host, tbx::FourCC("lJob"), bounds);
        _BK_LVCOLUMN column;
        column.mask = kBK_LVCF_TEXT;
        column.pszText = L"Source";
        list.AppendColumn(column, true);
        for (int64_t i = 0; i < rows; ++i) {
            const std::wstring text = RowText(i);
            _BK_LVITEM item;
            item.mask = kBK_LVIF_TEXT;
            item.iItem = -1;
            item.pszText = const_cast<wchar_t*>(text.c_str());
            list.InsertItem(item);
        }
        benchmark::DoNotOptimize(list.GetItemCount());
    }
    state.SetItemsProcessed(state.iterations() * rows);
    state.SetComplexityN(rows);
    state.SetLabel("rows inserted");
}
BENCHMARK(BM_ListViewInsertRows)->RangeMultiplier(10)->Range(100, 100000)->Complexity();

// The peer: the same rows appended to a vector of (text, value) pairs.
void BM_VectorAppendRows(benchmark::State& state) {
    const int64_t rows = state.range(0);
    for (auto _ : state) {
        std::vector<std::pair<std::wstring, int32_t>> table;
        for (int64_t i = 0; i < rows; ++i)
            table.emplace_back(RowText(i), 0);
        benchmark::DoNotOptimize(table.data());
    }
    state.SetItemsProcessed(state.iterations() * rows);
    state.SetComplexityN(rows);
    state.SetLabel("rows appended");
}
BENCHMARK(BM_VectorAppendRows)->RangeMultiplier(10)->Range(100, 100000)->Complexity();

} // namespace
