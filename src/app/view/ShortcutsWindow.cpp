#include "app/view/ShortcutsWindow.h"

#include <QAction>
#include <QDialog>
#include <QHeaderView>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTableWidget>
#include <QVBoxLayout>

void showShortcuts(QMainWindow* window) {
    auto* dialog = new QDialog(window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle("Keyboard Shortcuts");
    dialog->setAccessibleName("Keyboard Shortcuts");
    auto* table = new QTableWidget(0, 2, dialog);
    table->setAccessibleName("Shortcuts");
    table->setHorizontalHeaderLabels({"Command", "Keys"});
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    for (QAction* menu : window->menuBar()->actions()) {
        if (!menu->menu()) continue;
        for (QAction* action : menu->menu()->actions()) {
            if (action->shortcut().isEmpty()) continue;
            const int row = table->rowCount();
            table->insertRow(row);
            table->setItem(row, 0, new QTableWidgetItem(action->text().remove('&').remove("...")));
            table->setItem(
                row, 1,
                new QTableWidgetItem(action->shortcut().toString(QKeySequence::NativeText)));
        }
    }
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    table->resizeColumnToContents(1);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(table);
    dialog->resize(420, 460);
    dialog->show();
}
