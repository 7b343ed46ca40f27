// LCD readout and limit edits of the main window: the session decodes and
// judges each frame, the window shows the reading and its verdict.
#include "app/TFCOMM.h"

#include "app/FormWidgets.h"
#include "app/KeyPressFilter.h"
#include "lcd/LcdLabel.h"
#include "protocol/Judgement.h"
#include "protocol/LimitEditRules.h"
#include "session/LoggerSession.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace {

const QColor kPassColour(0, 128, 0);
const QColor kFailColour(255, 0, 0);

// The value edits are styled by a style sheet (their info-tip background),
// so their text colour is set there too: a palette change would be ignored.
void setValueColour(QLineEdit* edit, const QColor& colour)
{
    const QString sheet = QStringLiteral("QLineEdit { background: %1; color: %2; }")
                              .arg(QLatin1String(form::kInfoTip), colour.name());
    if (edit->styleSheet() != sheet)
        edit->setStyleSheet(sheet);
}

} // namespace

void TFCOMM::CreateReadoutBehaviour()
{
    for (QLineEdit* limit : {T1LO, T1HI, T2LO, T2HI}) {
        KeyPressFilter::install(
            limit, [this](QLineEdit* sender, QKeyEvent* key) { return T1LOKeyPress(sender, key); });
        connect(limit, &QLineEdit::textChanged, this, [this, limit] { T1LOChange(limit); });
        // After the repair, so that the session gets the repaired text.
        connect(limit, &QLineEdit::textChanged, this, &TFCOMM::PushLimits);
    }
    PushLimits();
}

void TFCOMM::PushLimits()
{
    session_->setLimits({T1LO->text(), T1HI->text(), T2LO->text(), T2HI->text()});
}

void TFCOMM::LcdDisplay81()
{
    session_->showFrame();
}

void TFCOMM::readingDecoded(const DecodedReading& reading, std::optional<Verdict> verdict)
{
    LcdD4->setText(reading.d4);
    LcdD3->setText(reading.d3);
    LcdD2->setText(reading.d2);
    LcdD1->setText(reading.d1);
    LcdP0->hide();
    LcdP1->hide();
    LcdP2->hide();
    // A frame without a unit or type leaves the letter shown.
    if (!reading.unitSymbol.isNull())
        LCDC->setText(reading.unitSymbol);
    if (!reading.typeLetter.isNull())
        LCDTYPE->setText(reading.typeLetter);
    LcdTimeT->setText(reading.clockCaption);
    LCDTime->setText(reading.clockText);
    if (reading.decimalPoint)
        LcdP2->show();
    LcdFH->setText(reading.signText());

    // The channel's value edit gets the value text, the other two are
    // emptied; T1 and T2 take the colour of their verdict.
    QLineEdit* shown = nullptr;
    switch (reading.channel) {
    case MeterChannel::T1: shown = T1VALUE; break;
    case MeterChannel::T2: shown = T2VALUE; break;
    case MeterChannel::T1MinusT2: shown = T1_T2; break;
    case MeterChannel::None: break;
    }
    if (shown) {
        LcdTX->setText(State.ChannelText);
        for (QLineEdit* edit : {T1VALUE, T2VALUE, T1_T2})
            edit->setText(edit == shown ? State.ValueText : QString());
    }
    if (verdict)
        setValueColour(shown, *verdict == Verdict::Pass ? kPassColour : kFailColour);
    if (reading.value)
        ChartWidenRange(State.CurrentValue);
}

bool TFCOMM::T1LOKeyPress(QLineEdit*, QKeyEvent* key)
{
    const QString typed = key->text();
    for (const QChar c : typed)
        if (!limitKeyAccepted(c, DecimalSep))
            return true;
    return false;
}

void TFCOMM::T1LOChange(QLineEdit* sender)
{
    // Setting the repaired text raises the change again; a repaired text is
    // a number, so that second round changes nothing.
    const std::optional<LimitRepair> repair = repairLimitText(sender->text(), DecimalSep);
    if (!repair)
        return;
    sender->setText(repair->text);
    sender->setSelection(repair->selectionStart, repair->selectionLength);
}
