#include "config/labels.h"

#include <QSettings>

#include "app/mainwindow.h"
#include "app/theme.h"
#include "config/settingspath.h"
#include "config/settingsvalues.h"
#include "config/settingswrite.h"
#include "ui_labels.h"

namespace {
// The dialog's fields and their keys, in the order they are read and written.
struct FieldKey
{
    QLineEdit *field;
    QString key;
};

QVector<FieldKey> fieldKeys(Ui::labels *ui)
{
    QLineEdit *const captions[] = {ui->lineEdit1, ui->lineEdit2, ui->lineEdit3, ui->lineEdit4,
                                   ui->lineEdit5, ui->lineEdit6, ui->lineEdit7, ui->lineEdit8};
    QLineEdit *const antennas[] = {ui->lineEditAnt1, ui->lineEditAnt2, ui->lineEditAnt3,
                                   ui->lineEditAnt4, ui->lineEditAnt5, ui->lineEditAnt6,
                                   ui->lineEditAnt7, ui->lineEditAnt8};
    QVector<FieldKey> fields;
    for (int n = 0; n < 8; ++n)
        fields.append({captions[n], QStringLiteral("K%1").arg(n + 1)});
    fields.append({ui->lineEditID, QStringLiteral("ID")});
    for (int n = 0; n < 8; ++n)
        fields.append({antennas[n], QStringLiteral("ANT%1").arg(n + 1)});
    return fields;
}
} // namespace

labels::labels(QWidget *parent, MainWindow *mainWindow)
    : QDialog(parent)
    , ui(new Ui::labels)
    , mainWindow(mainWindow)
{
    ui->setupUi(this);
    setStyleSheet(darkStyleSheet(ThemeVariant::Dialog));
    loadLabels();
}

labels::~labels()
{
    delete ui;
}

// A text longer than its field (a caption edited by hand) is cut to the field's
// maximum length by the line edit itself.
void labels::loadLabels()
{
    QSettings stored(panelSettingsPath(), QSettings::IniFormat);
    for (const FieldKey &f : fieldKeys(ui))
        f.field->setText(iniText(stored.value(f.key, QString())));
}

void labels::saveLabels()
{
    QSettings stored(panelSettingsPath(), QSettings::IniFormat);
    for (const FieldKey &f : fieldKeys(ui))
        stored.setValue(f.key, f.field->text());
    // Written out before the window reloads from it, while the handle is still open:
    // when the file cannot be written, the window keeps what it shows instead of
    // reloading from a store that lost the flags it could not read back.
    if (saveOrReport(stored, mainWindow) && mainWindow)
        mainWindow->loadSettings();
}

// The form has already closed the dialog (accepted() reaches accept() first).
void labels::on_buttonBox_accepted()
{
    saveLabels();
}
