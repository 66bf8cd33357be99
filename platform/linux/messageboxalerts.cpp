#include "messageboxalerts.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

namespace platform::native {

int QtAlerts::run(const QString &title, const QString &message, const QStringList &buttons)
{
    QMessageBox box;
    box.setWindowModality(Qt::ApplicationModal);
    box.setIcon(QMessageBox::NoIcon);
    box.setText(title);
    box.setInformativeText(message);
    QList<QAbstractButton *> added;
    if (buttons.isEmpty()) {
        added << box.addButton(QMessageBox::Ok);
    } else {
        for (const QString &text : buttons)
            added << box.addButton(text, QMessageBox::AcceptRole);
    }
    box.setDefaultButton(qobject_cast<QPushButton *>(added.first()));
    box.exec();
    const qsizetype index = added.indexOf(box.clickedButton());
    return index < 0 ? 0 : int(index);
}

bool QtAlerts::answerable() const
{
    const QString name = QGuiApplication::platformName();
    return name != QLatin1String("offscreen") && name != QLatin1String("minimal");
}

} // namespace platform::native
