// Keldrune: moves an older client's database into this program's database.
// Any argument (the main program passes "/auto") starts the conversion by itself.
#include "converter/app/keldrune_dlg.h"
#include "core/paths.h"
#include "platform/msgbox_gui.h"

#include <QApplication>

namespace {

class CKeldruneApp {
public:
    int InitInstance(int argc, char** argv);
};

int CKeldruneApp::InitInstance(int argc, char** argv) {
    QApplication app(argc, argv);
    InstallGuiMessageBoxes();
    CKeldruneDlg dialog(argc > 1, GetAppDirectory());
    dialog.show();
    dialog.exec();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    CKeldruneApp app;
    return app.InitInstance(argc, argv);
}
