#include "app/RatingPrompt.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

void showRatingPromptUnlessRated(QWidget* parent) {
    if (QSettings().value("didRate", false).toBool()) return;
    auto* prompt = new QDialog(parent);
    prompt->setAttribute(Qt::WA_DeleteOnClose);
    prompt->setWindowTitle("Rate Veilcut");
    prompt->setAccessibleName("Rate Veilcut");
    auto* column = new QVBoxLayout(prompt);
    column->addWidget(new QLabel("How well does Veilcut work for you?", prompt));
    auto* stars = new QHBoxLayout();
    for (int n = 1; n <= 5; ++n) {
        auto* star = new QPushButton(QString(n, QChar(0x2605)), prompt);
        star->setAccessibleName(QString("%1 star%2").arg(n).arg(n == 1 ? "" : "s"));
        QObject::connect(star, &QPushButton::clicked, prompt, [prompt, n] {
            QSettings settings;
            settings.setValue("rating", n);
            settings.setValue("didRate", true);
            prompt->accept();
        });
        stars->addWidget(star);
    }
    column->addLayout(stars);
    auto* later = new QPushButton("Not Now", prompt);
    later->setAccessibleName("Not Now");
    QObject::connect(later, &QPushButton::clicked, prompt, &QDialog::reject);
    column->addWidget(later, 0, Qt::AlignRight);
    // Not modal: the save it appears beside goes on, and the user may ignore it.
    prompt->show();
}
