#include "config/labels.h"

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
    : QDialog(parent), ui(new Ui::labels), mainWindow(mainWindow)
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
// maximum length, a whole character at a time.
void labels::loadLabels()
{
    const IniFile stored(panelSettingsPath());
    for (const FieldKey &f : fieldKeys(ui))
        f.field->setText(
            wholeCharacters(iniText(stored.value(f.key, QString())), f.field->maxLength()));
}

void labels::saveLabels()
{
    // Typing or pasting into a full field can still cut a character in half.
    IniValues values;
    for (const FieldKey &f : fieldKeys(ui))
        values.append({f.key, wholeCharacters(f.field->text(), f.field->maxLength())});
    // Written out before the window reloads from it: when the file cannot be written,
    // the window keeps what it shows instead of reloading from a store that lost the
    // flags it could not read back.
    if (saveOrReport(values, mainWindow) && mainWindow)
        mainWindow->loadSettings();
}

// The form has already closed the dialog (accepted() reaches accept() first).
void labels::on_buttonBox_accepted()
{
    saveLabels();
}
