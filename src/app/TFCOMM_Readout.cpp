// LCD readout, reading decoder and pass/fail judgement of the main window.
#include "app/TFCOMM.h"

#include "app/FormWidgets.h"
#include "app/KeyPressFilter.h"
#include "lcd/LcdLabel.h"
#include "protocol/Judgement.h"
#include "protocol/LimitEditRules.h"
#include "protocol/ReadingDecoder.h"

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
    }
}

void TFCOMM::LcdDisplay81()
{
    // A frame that cannot be decoded is dropped before anything changes; the
    // link goes on with the next one.
    const std::optional<DecodedReading> reading =
        ReadingDecoder::decode(State.CurrentFrame, DecimalSep);
    if (!reading)
        return;

    CONok->show();
    CONokN->hide();
    State.LinkWatchdog = 0;

    LcdD4->setText(reading->d4);
    LcdD3->setText(reading->d3);
    LcdD2->setText(reading->d2);
    LcdD1->setText(reading->d1);
    LcdP0->hide();
    LcdP1->hide();
    LcdP2->hide();

    if (!reading->unitSymbol.isNull())
        LCDC->setText(reading->unitSymbol);
    if (!reading->typeLetter.isNull())
        LCDTYPE->setText(reading->typeLetter);
    // Built from what is on display, so an "unchanged" unit or type keeps
    // the earlier frame's letter.
    State.UnitText = LCDC->text() + QLatin1Char('-') + LCDTYPE->text();

    LcdTimeT->setText(reading->clockCaption);
    LCDTime->setText(reading->clockText);
    if (reading->decimalPoint)
        LcdP2->show();
    LcdFH->setText(reading->signText());
    State.ValueText = reading->valueText;

    // The channel's value edit gets the value text, the other two are
    // emptied; T1 and T2 are judged, the difference T1-T2 is not (JudgeText
    // and the colours stay).
    const auto showChannel = [this](const QString& channel, QLineEdit* shown) {
        LcdTX->setText(channel);
        State.ChannelText = channel;
        for (QLineEdit* edit : {T1VALUE, T2VALUE, T1_T2})
            edit->setText(edit == shown ? State.ValueText : QString());
    };
    switch (reading->channel) {
    case MeterChannel::T1:
        showChannel(QStringLiteral("T1"), T1VALUE);
        JudgeReading(T1VALUE, T1LO, T1HI);
        break;
    case MeterChannel::T2:
        showChannel(QStringLiteral("T2"), T2VALUE);
        JudgeReading(T2VALUE, T2LO, T2HI);
        break;
    case MeterChannel::T1MinusT2: showChannel(QStringLiteral("T1-T2"), T1_T2); break;
    case MeterChannel::None: break;
    }

    if (reading->value) {
        State.CurrentValue = *reading->value;
        ChartWidenRange(State.CurrentValue);
    }
    INDataToTable();
}

void TFCOMM::JudgeReading(QLineEdit* valueEdit, QLineEdit* loEdit, QLineEdit* hiEdit)
{
    const Verdict verdict =
        judgeReading(valueEdit->text(), loEdit->text(), hiEdit->text(), DecimalSep);
    setValueColour(valueEdit, verdict == Verdict::Pass ? kPassColour : kFailColour);
    State.JudgeText = verdictText(verdict);
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
