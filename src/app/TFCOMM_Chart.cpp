// Trend chart of the main window: the chart, its toolbar and paging.
#include "app/TFCOMM.h"

#include "app/FormWidgets.h"
#include "app/Pictures.h"

#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

void TFCOMM::CreateChartControls(QWidget* client)
{
    auto* chart = new QFrame(client);
    chart->setAutoFillBackground(true);
    chart->setStyleSheet(QStringLiteral("QFrame { background: #c0ddf8; }"));
    form::place(chart, 330, 33, 391, 456);
    Chtshow = chart;

    const auto tool = [chart](pictures::Kind kind, const QString& hint, int left) {
        auto* button = new QToolButton(chart);
        button->setIcon(QIcon(pictures::pixmap(kind)));
        button->setAutoRaise(true);
        button->setProperty("hint", hint);
        form::place(button, left, 5, 22, 22);
        return button;
    };
    Maxrecord = new QLineEdit(QStringLiteral("100"), chart);
    form::place(Maxrecord, 154, 5, 41, 21);
    BtFirst = tool(pictures::Kind::First, QStringLiteral("First"), 200);
    BTPrevious = tool(pictures::Kind::Previous, QStringLiteral("Previous"), 224);
    Bt10 = new QToolButton(chart);
    Bt10->setText(QStringLiteral("1"));
    Bt10->setAutoRaise(true);
    Bt10->setStyleSheet(QStringLiteral("QToolButton { color: blue; }"));
    form::place(Bt10, 248, 5, 22, 22);
    BtNext = tool(pictures::Kind::Next, QStringLiteral("Next"), 272);
    BTlast = tool(pictures::Kind::Last, QStringLiteral("last"), 296);
    BtNew = tool(pictures::Kind::NewRecording, QStringLiteral("New"), 328);
    BtSave = tool(pictures::Kind::SavePicture, QStringLiteral("Save"), 354);

    CONok = new QLabel(chart);
    CONok->setPixmap(pictures::pixmap(pictures::Kind::Connected, 20));
    form::place(CONok, 5, 2, 20, 20);
    CONok->hide();
    CONokN = new QLabel(chart);
    CONokN->setPixmap(pictures::pixmap(pictures::Kind::NotConnected, 20));
    form::place(CONokN, 5, 2, 20, 20);
}

void TFCOMM::ChartCreate() {}
void TFCOMM::ChartFillPlaceholders() {}
void TFCOMM::ChartSetStartupRange() {}
void TFCOMM::ChartDestroy() {}
void TFCOMM::ChartWidenRange(double) {}
void TFCOMM::ChartAddReading(double) {}
void TFCOMM::ChartClear() {}
void TFCOMM::BtFirstClick() {}
void TFCOMM::BTPreviousClick() {}
void TFCOMM::BtNextClick() {}
void TFCOMM::BTlastClick() {}
void TFCOMM::MaxrecordExit() {}
