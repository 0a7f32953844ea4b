#include <QDebug>
#include <QSettings>
#include <QStatusBar>

#include "app/mainwindow.h"
#include "config/labels.h"
#include "config/settingspath.h"
#include "config/settingsvalues.h"
#include "config/settingswrite.h"
#include "panel/modestate.h"
#include "panel/panelwidgets.h"
#include "panel/styles.h"
#include "ui_mainwindow.h"

bool saveOrReport(const IniValues &values, QMainWindow *window)
{
    const QString path = panelSettingsPath();
    if (writeIniValues(path, values))
        return true;
    // A settings file that silently stays behind loses the operator's captions and
    // flags at the next start; saying so lets them fix the folder's permissions.
    const QString message =
        QCoreApplication::translate("MainWindow", "Settings could not be saved to %1").arg(path);
    if (window)
        window->statusBar()->showMessage(message);
    qWarning().noquote() << message;
    return false;
}

void MainWindow::loadSettings()
{
    const IniFile stored(panelSettingsPath());

    const auto keys = txKeys(ui);
    const auto antennas = antennaLabels(ui);
    for (int n = 0; n < txKeyCount; ++n) {
        keys[n]->setText(iniText(stored.value(QStringLiteral("K%1").arg(n + 1), QString())));
        antennas[n]->setText(iniText(stored.value(QStringLiteral("ANT%1").arg(n + 1), QString())));
    }
    ui->labelID->setText(iniText(stored.value(QStringLiteral("ID"), QString())));

    // setChecked does not emit triggered(): no word is queued, nothing is written and
    // the window keeps its size; only the operator's Enable resizes it.
    const bool receiverGroup = iniFlag(stored, QStringLiteral("REC"), false);
    ui->actionEnable->setChecked(receiverGroup);
    ui->groupFendril->setVisible(receiverGroup);

    ui->actionRelease_ALL->setChecked(iniFlag(stored, QStringLiteral("RL"), false));

    const ReleaseLook look = releaseLook(ui->actionRelease_ALL->isChecked());
    ui->botaoRelease->setText(tr(look.text));
    ui->botaoRelease->setStyleSheet(QLatin1String(look.style));
}

void MainWindow::on_actionLabels_triggered()
{
    // A fresh, modeless dialog each time; closed, it is gone.
    auto *dialog = new labels(this, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}
