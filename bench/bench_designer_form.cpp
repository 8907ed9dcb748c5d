// The designer window: from loading the shipped member list template to the
// window on screen with its page painted, as "Düzenle" opens it. Prints the
// median and worst of several openings (target 300 ms).

#include "engine_scope.h"
#include "report/designer/designer_form.h"
#include "report/designer/designer_page.h"
#include "report/model/model_globals.h"
#include "report/model/report.h"

#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    EngineScope engine(argc, argv);
    // The window keeps its settings; here they go to a folder of the run.
    QTemporaryDir config;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
    const QString list = QStringLiteral(QP_TEMPLATE_DIR "/UyeList.qpf");
    std::vector<double> wall;
    for (int i = 0; i < 7; ++i) {
        QElapsedTimer t;
        t.start();
        TqpReport report;
        CurReport = &report;
        if (!report.LoadFromFile(list)) {
            std::fprintf(stderr, "cannot open %s\n", qPrintable(list));
            return 1;
        }
        {
            TqpDesignerForm form(&report, true);
            form.show();
            form.PageCanvas->repaint();
            QCoreApplication::processEvents();
            wall.push_back(t.nsecsElapsed() / 1e6);
        }
        CurReport = nullptr;
    }
    std::sort(wall.begin(), wall.end());
    std::printf("designer window opened on UyeList.qpf: median %.1f ms, worst %.1f ms wall; %zu runs (target 300 ms)\n",
                wall[wall.size() / 2], wall.back(), wall.size());
    return 0;
}
