// The window as a person feels it: an edit in the layer table until the page and
// the sketch are redrawn, and opening the calculation frame. Offscreen Qt.
#include "DlgKangLi_Slp.h"
#include "EasyTableView.h"
#include "KangLiJiSuan.h"
#include "KangLiResult.h"
#include "Messages.h"
#include "PelvorinData.h"

#include <QApplication>
#include <QTableWidget>

#include <benchmark/benchmark.h>

namespace {

void Settle()
{
    for (int i = 0; i < 4; ++i)
        QApplication::processEvents();
}

CPelvorinData Layers(int n)
{
    CPelvorinData r;
    InitKangLiData(&r);
    r.fZhuangChang = 30;
    r.TuCeng.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        r.TuCeng[static_cast<size_t>(i)].fHouDu = 30.0f / static_cast<float>(n);
    r.nTuCengShu = n;
    return r;
}

// One value typed into the layer table and taken: the model, every table of the
// page, the sketch, and the paint of the window.
void EditInLayerTable(benchmark::State& state)
{
    CPelvorinData r = Layers(static_cast<int>(state.range(0)));
    CKangLiJiSuan calc;
    CKangLiResult result;
    CDlgKangLi_Slp frame(&r, &calc, &result, QString());
    frame.pPage->tabs->setCurrentIndex(1);
    frame.show();
    Settle();
    EasyTableView* view = frame.pPage->tuceng->layersView;
    int k = 0;
    for (auto _ : state) {
        // The cohesion of the first layer, alternating so that each edit changes it.
        view->item(0, 5)->setText(++k % 2 ? "12" : "10");
        Settle();
        frame.repaint();
    }
}
BENCHMARK(EditInLayerTable)->Arg(8)->Arg(100)->Unit(benchmark::kMillisecond);

void OpenFrame(benchmark::State& state)
{
    CPelvorinData r = Layers(8);
    for (auto _ : state) {
        CKangLiJiSuan calc;
        CKangLiResult result;
        CDlgKangLi_Slp frame(&r, &calc, &result, QString());
        frame.show();
        Settle();
        frame.repaint();
    }
}
BENCHMARK(OpenFrame)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetMessageSink(StderrMessageSink);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
