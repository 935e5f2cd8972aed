#include "app/Editor.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

#include "app/MainQueueBinding.h"
#include "app/view/EditorWindow.h"

int runEditor(int argc, char** argv, const std::optional<std::string>& file) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("Veilcut");
    QApplication::setOrganizationName("veilcut");
    QApplication::setDesktopFileName("veilcut");
    MainQueueBinding mainQueue;
    EditorWindow window;
    window.show();
    if (file) {
        if (auto problem = window.openFile(*file)) {
            std::fprintf(stderr, "veilcut: error: %s\n", problem->c_str());
            QMessageBox::warning(&window, "Cannot Open", QString::fromStdString(*problem));
        }
    } else {
        window.offerToRestore();
    }
    return QApplication::exec();
}
