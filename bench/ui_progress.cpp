// The progress dialog's pump: each update yields, redraws the control and takes at most one
// pending event without waiting. Its cost must not grow with the work done so far.
#include <benchmark/benchmark.h>

#include "platform/windows/test_driver.h"
#include "ui/dialogs/progress_dialog.h"

namespace {

void BM_ProgressPumpWithNoEventQueued(benchmark::State& state) {
    tbx::test::ResetWindowing();
    CBK_ProgressDialog dialog;
    CBK_ProgressDialog::PROGRESS_SETTINGS settings;
    settings.m_nMaximum = 1 << 30;
    CBK_ProgressData data;
    dialog.DoModal(nullptr, settings, &data);
    tbx::test::Flush();
    int32_t step = 0;
    for (auto _ : state) {
        dialog.SetProgress(step++ & ((1 << 30) - 1));
        benchmark::DoNotOptimize(data.m_bCancelled);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel("pump calls");
}
BENCHMARK(BM_ProgressPumpWithNoEventQueued);

void BM_ProgressPumpWithOneEventEachTime(benchmark::State& state) {
    tbx::test::ResetWindowing();
    CBK_ProgressDialog dialog;
    CBK_ProgressDialog::PROGRESS_SETTINGS settings;
    CBK_ProgressData data;
    dialog.DoModal(nullptr, settings, &data);
    tbx::test::Flush();
    int32_t step = 0;
    for (auto _ : state) {
        {
            tbx::test::QueueOnly queued;
            tbx::test::ChooseMenuCommand(tbx::FourCC("none"));
        }
        dialog.SetProgress(step++ % 100);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel("pump calls dispatching one event");
}
BENCHMARK(BM_ProgressPumpWithOneEventEachTime);

} // namespace
