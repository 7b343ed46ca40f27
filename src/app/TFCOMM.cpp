#include "app/TFCOMM.h"

#include "app/FormWidgets.h"
#include "app/Pictures.h"
#include "app/UserDialogs.h"
#include "lcd/LcdLabel.h"
#include "session/LoggerSession.h"
#include "session/SessionJournal.h"
#include "widgets/ChildConnections.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

namespace {

constexpr int kClientWidth = 726;
constexpr int kClientHeight = 495;

QFrame* makePanel(QWidget* parent, int left, int top, int width, int height)
{
    auto* panel = new QFrame(parent);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(1);
    form::place(panel, left, top, width, height);
    return panel;
}

QToolButton* makePictureButton(QWidget* parent, pictures::Kind kind, const QString& hint)
{
    auto* button = new QToolButton(parent);
    button->setIcon(QIcon(pictures::pixmap(kind)));
    button->setAutoRaise(true);
    button->setToolTip(hint);
    return button;
}

} // namespace

TFCOMM::TFCOMM(const TFCOMMServices& services, QWidget* parent)
    : QMainWindow(parent), session_(std::make_unique<LoggerSession>()), State(session_->state()),
      ActiveCable(session_->activeCable()), dialogs_(services.dialogs),
      hidPlatform_(services.hidPlatform), queryDecimalSeparator_(services.queryDecimalSeparator),
      printDialogs_(services.printDialogs), journalFolder_(services.journalFolder)
{
    Q_ASSERT(dialogs_);
    session_->addObserver(this);
    if (!queryDecimalSeparator_)
        queryDecimalSeparator_ = &TFCOMM::QueryDecimalSeparator;
    // Loading the form brings its components into being; then the creation
    // handler runs, and the window is shown afterwards by the caller.
    buildForm();
    FormCreate();
    JournalCreate();
}

TFCOMM::~TFCOMM()
{
    session_->removeObserver(this); // nothing reaches a window going away
    // The controls outlive this destructor; one that loses the focus as it
    // goes must not reach a handler of a window whose chart is gone.
    disconnectChildren(*this);
    LinkDestroy();
    FormDestroy();
    TableDestroy();
}

QString TFCOMM::SaveFileName(FileDialogOptions options)
{
    options.folder = lastFolder_.start();
    const QString name = Dialogs().saveFileName(options);
    lastFolder_.remember(name);
    return name;
}

QString TFCOMM::OpenFileName(FileDialogOptions options)
{
    options.folder = lastFolder_.start();
    const QString name = Dialogs().openFileName(options);
    lastFolder_.remember(name);
    return name;
}

QString TFCOMM::QueryDecimalSeparator()
{
    return QLocale::system().decimalPoint();
}

void TFCOMM::FormCreate()
{
    ChartCreate();                         // 1. the paging control, page width 100
    DecimalSep = queryDecimalSeparator_(); // 2.
    session_->setDecimalSeparator(DecimalSep);
    B2400->hide(); // 3. the baud-rate boxes
    B4800->hide();
    B9600->hide();
    TableCreate();          // 4. the reading table, opened
    State.NextRecordNo = 1; // 5.
    State.RecordLimit = 10000;
    ChartFillPlaceholders();                                           // 6.
    setWindowTitle(QStringLiteral("Kelvane Interface Program V3.01")); // 7.
    ChartSetStartupRange(); // 8. the bounds that mean "no reading yet"
}

void TFCOMM::FormDestroy()
{
    ChartDestroy();
}

void TFCOMM::BitBtn1Click()
{
    // The table is closed without a question; its records are lost.
    close();
    QCoreApplication::quit();
}

void TFCOMM::buildForm()
{
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(form::font(QStringLiteral("MS Sans Serif"), 11, true));

    auto* client = new QWidget(this);
    client->setFixedSize(kClientWidth, kClientHeight);
    client->setAutoFillBackground(true);
    QPalette palette = client->palette();
    palette.setColor(QPalette::Window, QColor(form::kButtonFace));
    client->setPalette(palette);
    setCentralWidget(client);

    buildLinkRow(client);
    buildReadout(client);
    buildLimitPanels(client);
    buildRecordingRow(client);
    CreateRecordingControls(client);
    CreateChartControls(client);
    CreateReadoutBehaviour();
    CreateLinkControls(client);
    CreateFileControls();
    CreatePrintControls();

    ConTimer->start();
    Trecord->start();

    // Fixed single border: the client area keeps its size, below the menu.
    const int menuHeight = menuBar()->isVisible() || !menuBar()->actions().isEmpty()
                               ? menuBar()->sizeHint().height()
                               : 0;
    setFixedSize(kClientWidth, kClientHeight + menuHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

void TFCOMM::buildLinkRow(QWidget* client)
{
    USBCon = new QToolButton(client);
    USBCon->setText(QStringLiteral("USB Connection"));
    USBCon->setToolTip(QStringLiteral("USB Connect"));
    USBCon->setCheckable(true);
    form::place(USBCon, 3, 2, 134, 25);

    RecallData = new QCheckBox(QStringLiteral("RecallData"), client);
    form::place(RecallData, 144, 10, 97, 17);

    BitBtn1 = new QPushButton(QIcon(pictures::pixmap(pictures::Kind::Quit)), QStringLiteral("Quit"),
                              client);
    BitBtn1->setFont(form::font(QStringLiteral("Arial"), 11, true));
    form::place(BitBtn1, 624, 2, 89, 25);
    connect(BitBtn1, &QPushButton::clicked, this, &TFCOMM::BitBtn1Click);

    B2400 = new QCheckBox(QStringLiteral("2400"), client);
    B2400->setChecked(true);
    form::place(B2400, 472, 0, 50, 17);
    B4800 = new QCheckBox(QStringLiteral("4800"), client);
    form::place(B4800, 528, 0, 50, 17);
    B9600 = new QCheckBox(QStringLiteral("9600"), client);
    form::place(B9600, 552, 8, 50, 17);

    ConTimer = new QTimer(this);
    ConTimer->setInterval(10);
    Trecord = new QTimer(this);
    Trecord->setInterval(1000);
}

void TFCOMM::buildReadout(QWidget* client)
{
    Panel1 = makePanel(client, 2, 33, 326, 129);
    Panel1->setAutoFillBackground(true);
    QPalette palette = Panel1->palette();
    palette.setColor(QPalette::Window, QColor(form::kGradientInactiveCaption));
    Panel1->setPalette(palette);

    const auto digit = [this](const QString& text, int left) {
        auto* label = new LcdLabel(text, 113, false, Panel1);
        label->setFixedBox(QSize(43, 126));
        label->setGhostSegments(true);
        label->move(left, 15);
        return label;
    };
    LcdD4 = digit(QStringLiteral("3"), 48);
    LcdD3 = digit(QStringLiteral("9"), 104);
    LcdD2 = digit(QStringLiteral("9"), 160);
    LcdD1 = digit(QStringLiteral("9"), 216);

    const auto point = [this](int left) {
        auto* mark = new QFrame(Panel1);
        mark->setAutoFillBackground(true);
        QPalette p = mark->palette();
        p.setColor(QPalette::Window, QColor(0x1a, 0x1a, 0x1a));
        mark->setPalette(p);
        form::place(mark, left, 110, 7, 8);
        return mark;
    };
    LcdP0 = point(94);
    LcdP1 = point(151);
    LcdP2 = point(207);
    LcdP1->hide();

    LcdFH = new LcdLabel(QStringLiteral("-"), 113, true, Panel1);
    LcdFH->setFixedBox(QSize(33, 111));
    LcdFH->move(16, 16);

    LcdTX = new LcdLabel(QStringLiteral("T1"), 19, true, Panel1);
    LcdTX->move(8, 11);

    LCDTYPET = new QLabel(QStringLiteral("TYPE:"), Panel1);
    LCDTYPET->setFont(form::font(QStringLiteral("Arial"), 16, true));
    form::placeAuto(LCDTYPET, 73, 13);
    LCDTYPE = new QLabel(QStringLiteral("K"), Panel1);
    LCDTYPE->setFont(form::font(QStringLiteral("Arial"), 16, true));
    form::placeAuto(LCDTYPE, 122, 13);

    LcdTimeT = new LcdLabel(QStringLiteral("H:M"), 21, false, Panel1);
    LcdTimeT->move(143, 10);
    LCDTime = new LcdLabel(QStringLiteral("00:00"), 33, false, Panel1);
    LCDTime->move(187, 1);

    LCDC = new LcdLabel(QStringLiteral("#"), 32, false, Panel1);
    LCDC->move(280, 38);
}

void TFCOMM::buildLimitPanels(QWidget* client)
{
    const QFont arialBold = form::font(QStringLiteral("Arial"), 11, true);
    const auto edit = [](QFrame* panel, int left, int top, int width) {
        auto* e = new QLineEdit(QStringLiteral("0"), panel);
        form::place(e, left, top, width, 21);
        return e;
    };
    const auto caption = [](QFrame* panel, const QString& text, int left, int top) {
        auto* label = new QLabel(text, panel);
        form::placeAuto(label, left, top);
    };
    const auto valueField = [](QLineEdit* e) {
        e->setReadOnly(true);
        e->setStyleSheet(QStringLiteral("QLineEdit { background: %1; }").arg(form::kInfoTip));
    };

    Panel4 = makePanel(client, 2, 164, 159, 113);
    caption(Panel4, QStringLiteral("T1_Lo"), 8, 23);
    caption(Panel4, QStringLiteral("T1_Value"), 8, 51);
    caption(Panel4, QStringLiteral("T1_Hi"), 8, 83);
    T1LO = edit(Panel4, 64, 20, 81);
    T1VALUE = edit(Panel4, 64, 48, 81);
    T1HI = edit(Panel4, 64, 80, 81);
    valueField(T1VALUE);
    T1VALUE->setFont(arialBold);

    Panel5 = makePanel(client, 168, 164, 160, 113);
    caption(Panel5, QStringLiteral("T2_Lo"), 6, 19);
    caption(Panel5, QStringLiteral("T2_Value"), 6, 51);
    caption(Panel5, QStringLiteral("T2_Hi"), 6, 83);
    T2LO = edit(Panel5, 58, 16, 87);
    T2VALUE = edit(Panel5, 58, 48, 87);
    T2HI = edit(Panel5, 58, 80, 87);
    valueField(T2VALUE);

    Panel6 = makePanel(client, 2, 278, 326, 35);
    caption(Panel6, QStringLiteral("T1-T2"), 8, 11);
    T1_T2 = edit(Panel6, 48, 8, 145);
    T1_T2->setStyleSheet(QStringLiteral("QLineEdit { background: %1; }").arg(form::kInfoTip));
}

void TFCOMM::buildRecordingRow(QWidget* client)
{
    RecordNew =
        makePictureButton(client, pictures::Kind::NewRecording, QStringLiteral("Close Data"));
    form::place(RecordNew, 240, 318, 22, 22);
    OpenDataFiles =
        makePictureButton(client, pictures::Kind::OpenFile, QStringLiteral("Open old data files"));
    form::place(OpenDataFiles, 262, 318, 22, 22);
    saveas = makePictureButton(client, pictures::Kind::SaveFile, QStringLiteral("Save data files"));
    form::place(saveas, 284, 318, 22, 22);
    BtPrint = makePictureButton(client, pictures::Kind::Print, QStringLiteral("Print"));
    form::place(BtPrint, 306, 318, 22, 22);
}
