#include "radio/radiodialog.h"

#include <QLabel>

#include "app/theme.h"
#include "panel/panelstate.h"
#include "radio/bands.h"
#include "ui_radiodialog.h"

namespace {
// The source box lists the kinds in this order.
const SourceKind sourceOrder[] = {SourceKind::None, SourceKind::Rigctld, SourceKind::N1mm};
} // namespace

RadioDialog::RadioDialog(const FollowSettings &settings, const QStringList &antennaNames,
                         QWidget *parent)
    : QDialog(parent), ui(new Ui::RadioDialog), given(settings)
{
    ui->setupUi(this);
    setStyleSheet(darkStyleSheet(ThemeVariant::Dialog));

    for (int i = 0; i < 3; ++i)
        if (sourceOrder[i] == settings.source)
            ui->sourceBox->setCurrentIndex(i);
    ui->rigctldEdit->setText(settings.badRigctldAddress.isEmpty()
                                 ? rigctldAddress(settings.rigctldHost, settings.rigctldPort)
                                 : settings.badRigctldAddress);
    ui->n1mmPortBox->setValue(settings.n1mmPort);
    ui->n1mmRadioBox->setCurrentIndex(settings.n1mmRadio);
    ui->n1mmStationEdit->setText(settings.n1mmStation);
    ui->n1mmFromEdit->setText(settings.n1mmFrom);

    ui->bandGrid->addWidget(new QLabel(tr("Band")), 0, 0);
    ui->bandGrid->addWidget(new QLabel(tr("TX antenna")), 0, 1);
    ui->bandGrid->addWidget(new QLabel(tr("Receive")), 0, 2);
    int row = 1;
    for (const BandWindow &band : bandWindows()) {
        auto *tx = new QComboBox;
        tx->addItem(tr("—"), 0);
        for (int n = 1; n <= txKeyCount; ++n) {
            const QString name = antennaNames.value(n - 1);
            tx->addItem(name.isEmpty() ? QString::number(n)
                                       : QStringLiteral("%1  %2").arg(n).arg(name),
                        n);
        }
        tx->setCurrentIndex(tx->findData(settings.bandTx.value(band.name, 0)));
        auto *rx = new QComboBox;
        rx->addItem(tr("—"), -1);
        for (int index : {0, 1, 2, 3, int(rtxIndex)})
            rx->addItem(receiveKeyName(index), index);
        rx->setCurrentIndex(rx->findData(settings.bandRx.value(band.name, -1)));
        ui->bandGrid->addWidget(new QLabel(band.name), row, 0);
        ui->bandGrid->addWidget(tx, row, 1);
        ui->bandGrid->addWidget(rx, row, 2);
        txBoxes.append(tx);
        rxBoxes.append(rx);
        ++row;
    }
}

RadioDialog::~RadioDialog()
{
    delete ui;
}

FollowSettings RadioDialog::settings() const
{
    FollowSettings chosen = given;
    chosen.source = sourceOrder[qBound(0, ui->sourceBox->currentIndex(), 2)];
    chosen.n1mmPort = quint16(ui->n1mmPortBox->value());
    chosen.n1mmRadio = ui->n1mmRadioBox->currentIndex();
    // Kept as typed: a sender list that does not read is said where the source starts.
    chosen.n1mmStation = ui->n1mmStationEdit->text().trimmed();
    chosen.n1mmFrom = ui->n1mmFromEdit->text().trimmed();
    // An address that does not read as host:port is kept as typed, and said.
    const QString address = ui->rigctldEdit->text().trimmed();
    chosen.badRigctldAddress.clear();
    if (!readRigctldAddress(address, chosen.rigctldHost, chosen.rigctldPort))
        chosen.badRigctldAddress = address;
    chosen.bandTx.clear();
    chosen.bandRx.clear();
    for (int i = 0; i < bandWindows().size(); ++i) {
        const QString &band = bandWindows().at(i).name;
        const int tx = txBoxes.at(i)->currentData().toInt();
        if (tx > 0)
            chosen.bandTx.insert(band, tx);
        const int rx = rxBoxes.at(i)->currentData().toInt();
        if (rx >= 0)
            chosen.bandRx.insert(band, rx);
    }
    return chosen;
}
