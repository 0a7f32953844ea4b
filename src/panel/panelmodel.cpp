#include "panel/panelmodel.h"

#include "panel/styles.h"

namespace {

// Writes the styles decided over the look; a null decision leaves that key as it is.
template<std::size_t N>
void overlay(std::array<KeyStyle, N> &look, const std::array<KeyStyle, N> &decided)
{
    for (std::size_t i = 0; i < N; ++i)
        if (decided[i])
            look[i] = decided[i];
}

void overlay(KeyStyle &look, KeyStyle decided)
{
    if (decided)
        look = decided;
}

} // namespace

PanelLook PanelLook::idle()
{
    PanelLook look;
    look.tx.fill(styleIdle);
    look.busy.fill(styleIdle);
    look.rotors.fill(styleIdle);
    look.rx.fill(styleIdle);
    look.split = look.superSplit = look.send = look.power = styleIdle;
    return look;
}

bool PanelLook::operator==(const PanelLook &o) const
{
    return tx == o.tx && busy == o.busy && rotors == o.rotors && rx == o.rx && split == o.split
           && superSplit == o.superSplit && send == o.send && power == o.power;
}

PanelLook PanelModel::look() const
{
    if (!alive)
        return PanelLook::idle();
    PanelLook shown = lit;
    shown.power = styleLinkUp;
    return shown;
}

void PanelModel::setLinkAlive(bool on)
{
    alive = on;
    // Silence is not painted over the last look: the last look is gone, and the switch's
    // next answer paints the panel afresh on dark keys.
    if (!alive)
        lit = PanelLook::idle();
}

StatusOutcome PanelModel::statusReceived(const SwitchStatus &status)
{
    setLinkAlive(true);
    const StatusOutcome outcome = beginStatusResponse(panel, status);
    if (outcome.skipped)
        return outcome;
    lit.rx = decideRxKeyStyles(panel);
    // The TX-position byte is a signed one to the painter; out of 0..7 it marks no key.
    repaintTxKeys(qint8(status.txPos));
    const StatusIndicatorStyles styles = decideStatusIndicatorStyles(status);
    overlay(lit.busy, styles.busy);
    // The split flag is taken only now, after the TX keys were painted.
    finishStatusResponse(panel, status);
    overlay(lit.split, styles.split);
    overlay(lit.send, styles.send);
    overlay(lit.rotors, styles.rotors);
    return outcome;
}

TxPressOutcome PanelModel::pressTx(qint8 pos)
{
    const TxPressOutcome outcome = pressTxKey(panel, pos);
    if (outcome.repaint)
        repaintTxKeys(pos);
    return outcome;
}

CommandWord PanelModel::pressRx(qint8 index)
{
    // The chosen key lights again only when the controller next reports.
    lit.rx.fill(styleIdle);
    return pressRxKey(panel, index);
}

ModeOutcome PanelModel::toggleSuperSplit()
{
    const ModeOutcome outcome = superSplitToggle(panel);
    if (outcome.superSplitKey == SuperSplitKeyLook::Idle)
        lit.superSplit = styleIdle;
    else if (outcome.superSplitKey == SuperSplitKeyLook::Alert)
        lit.superSplit = styleAlert;
    // The TX keys show the edited group while the selection is open.
    if (outcome.repaintKeys)
        overlay(lit.tx, decideTxKeyStyles(panel, qint8(panel.currentTxPos)));
    return outcome;
}

void PanelModel::repaintTxKeys(int pos)
{
    overlay(lit.tx, decideTxKeyStyles(panel, pos));
    overlay(lit.superSplit, decideSuperSplitKeyStyle(panel));
}
