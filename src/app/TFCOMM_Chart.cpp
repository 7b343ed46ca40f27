// Trend chart of the main window: the chart, its toolbar and paging.
#include "app/TFCOMM.h"

#include "app/FocusExitFilter.h"
#include "app/FormWidgets.h"
#include "app/KeyPressFilter.h"
#include "app/PageNumberButton.h"
#include "app/Pictures.h"
#include "chart/TChartControl.h"
#include "chart/TrendChartView.h"
#include "chart/VerticalRange.h"

#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

void TFCOMM::CreateChartControls(QWidget* client)
{
    ChartView = new TrendChartView(client);
    form::place(ChartView, 330, 33, 391, 456);
    Chtshow = ChartView;
    QWidget* chart = ChartView;

    // The buttons carry their hint texts as a property only: the chart and its
    // children show no tooltips.
    const auto tool = [chart](pictures::Kind kind, const QString& hint, int left) {
        auto* button = new QToolButton(chart);
        button->setIcon(QIcon(pictures::pixmap(kind)));
        button->setAutoRaise(true);
        button->setProperty("hint", hint);
        button->setFocusPolicy(Qt::NoFocus);
        form::place(button, left, 5, 22, 22);
        return button;
    };
    Maxrecord = new QLineEdit(QStringLiteral("100"), chart);
    form::place(Maxrecord, 154, 5, 41, 21);
    BtFirst = tool(pictures::Kind::First, QStringLiteral("First"), 200);
    BTPrevious = tool(pictures::Kind::Previous, QStringLiteral("Previous"), 224);
    Bt10 = new PageNumberButton(chart);
    Bt10->setText(QStringLiteral("1"));
    Bt10->setAutoRaise(true);
    Bt10->setProperty("hint", QStringLiteral("Page No."));
    Bt10->setFocusPolicy(Qt::NoFocus);
    QPalette blue = Bt10->palette();
    blue.setColor(QPalette::ButtonText, Qt::blue);
    Bt10->setPalette(blue);
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

    connect(BtFirst, &QToolButton::clicked, this, &TFCOMM::BtFirstClick);
    connect(BTPrevious, &QToolButton::clicked, this, &TFCOMM::BTPreviousClick);
    connect(BtNext, &QToolButton::clicked, this, &TFCOMM::BtNextClick);
    connect(BTlast, &QToolButton::clicked, this, &TFCOMM::BTlastClick);
    connect(BtNew, &QToolButton::clicked, this, &TFCOMM::RecordNewClick);
    KeyPressFilter::install(Maxrecord, [this](QLineEdit* edit, QKeyEvent* key) {
        return RecordSITimeKeyPress(edit, key);
    });
    connect(FocusExitFilter::install(Maxrecord), &FocusExitFilter::exited, this,
            &TFCOMM::MaxrecordExit);
}

void TFCOMM::ChartCreate()
{
    ChartControl = new TChartControl(*ChartView, TChartControl::kDefaultPageWidth);
}

void TFCOMM::ChartFillPlaceholders()
{
    // The first real reading then lands at x = 1, the left edge of page 1.
    ChartView->addPlaceholderPoint();
}

void TFCOMM::ChartSetStartupRange()
{
    ChartControl->SetAxisMax(vertical_range::kStartupMax);
    ChartControl->SetAxisMin(vertical_range::kStartupMin);
}

void TFCOMM::ChartDestroy()
{
    delete ChartControl;
    ChartControl = nullptr;
}

void TFCOMM::ChartWidenRange(double value)
{
    if (ChartControl)
        WidenVerticalRange(*ChartControl, value);
}

void TFCOMM::ChartAddReading(double value)
{
    if (!ChartControl)
        return;
    ChartControl->AddValue(value);
    ShowChartPage();
}

void TFCOMM::ChartClear()
{
    if (!ChartControl)
        return;
    ChartControl->Clear();
    // The window is back on page 1; the page number says so at once rather
    // than at the next reading.
    ShowChartPage();
}

void TFCOMM::BtFirstClick()
{
    ChartControl->FirstPage();
    ShowChartPage();
}

void TFCOMM::BTPreviousClick()
{
    ChartControl->PreviousPage();
    ShowChartPage();
}

void TFCOMM::BtNextClick()
{
    ChartControl->NextPage();
    ShowChartPage();
}

void TFCOMM::BTlastClick()
{
    ChartControl->LastPage();
    ShowChartPage();
}

void TFCOMM::MaxrecordExit()
{
    // A text that is not a whole number from 1 up (empty, beyond the 32-bit
    // range, or 0 which would leave pages without points) is replaced by the
    // start-up width, selected so the user sees what changed.
    bool whole = false;
    qint32 width = Maxrecord->text().toInt(&whole, 10);
    if (!whole || width < 1) {
        Maxrecord->setText(QStringLiteral("100"));
        Maxrecord->setSelection(0, 3);
        width = TChartControl::kDefaultPageWidth;
    }
    ChartControl->SetPageWidth(width);
    ShowChartPage();
}

void TFCOMM::ShowChartPage()
{
    Bt10->setText(QString::number(ChartControl->FCurrentPage()));
}
