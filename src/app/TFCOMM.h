#pragma once

#include "session/LoggerState.h"
#include "session/SessionObserver.h"
#include "widgets/LastFolder.h"

#include <QMainWindow>
#include <QString>

#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QCloseEvent;
class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QTableView;
class QTimer;
class QToolButton;
class LcdLabel;
class PrintDialogs;
struct FileDialogOptions;
class UserDialogs;
class TChartControl;
class THidDevice;
class LoggerSession;
class SessionJournal;
namespace hid {
class Platform;
}

// What the main window is given from outside: the message boxes and file
// dialogs, the HID devices (the machine's or the simulator's) and the query
// of the system's decimal separator.
struct TFCOMMServices {
    UserDialogs* dialogs = nullptr;
    hid::Platform* hidPlatform = nullptr;
    std::function<QString()> queryDecimalSeparator; // empty: the system locale's
    PrintDialogs* printDialogs = nullptr;           // empty: the real print preview
    QString journalFolder;                          // empty: no journal
};

// The main window FCOMM, a face over the logger session: its handlers keep
// the names the system uses, read their controls, call the session and show
// what the session reports. The handlers of one area live in their own
// source file (TFCOMM_<area>.cpp).
class TFCOMM : public QMainWindow, private SessionObserver {
    Q_OBJECT

    // Declared first: State and ActiveCable below refer into it.
    std::unique_ptr<LoggerSession> session_;

public:
    explicit TFCOMM(const TFCOMMServices& services, QWidget* parent = nullptr);
    ~TFCOMM() override;

    // ---- Application shell (TFCOMM.cpp) ---------------------------------
    void FormCreate();
    void FormDestroy();
    void BitBtn1Click();
    static QString QueryDecimalSeparator();

    LoggerSession& Session() const { return *session_; }
    LoggerState& State; // the session's
    QString DecimalSep;
    UserDialogs& Dialogs() const { return *dialogs_; }
    // The window's file dialogs, each started in the folder last used.
    QString SaveFileName(FileDialogOptions options);
    QString OpenFileName(FileDialogOptions options);

    QToolButton* USBCon = nullptr;
    QCheckBox* RecallData = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QCheckBox* B2400 = nullptr;
    QCheckBox* B4800 = nullptr;
    QCheckBox* B9600 = nullptr;
    QToolButton* RecordNew = nullptr;
    QToolButton* OpenDataFiles = nullptr;
    QToolButton* saveas = nullptr;
    QToolButton* BtPrint = nullptr;
    QTimer* ConTimer = nullptr;
    QTimer* Trecord = nullptr;

    // ---- LCD readout, decoder and judgement (TFCOMM_Readout.cpp) ---------
    void LcdDisplay81();
    bool T1LOKeyPress(QLineEdit* sender, QKeyEvent* key); // true: key discarded
    void T1LOChange(QLineEdit* sender);

    QFrame* Panel1 = nullptr;
    LcdLabel* LcdD4 = nullptr;
    LcdLabel* LcdD3 = nullptr;
    LcdLabel* LcdD2 = nullptr;
    LcdLabel* LcdD1 = nullptr;
    QFrame* LcdP0 = nullptr;
    QFrame* LcdP1 = nullptr;
    QFrame* LcdP2 = nullptr;
    LcdLabel* LcdFH = nullptr;
    LcdLabel* LcdTX = nullptr;
    QLabel* LCDTYPET = nullptr;
    QLabel* LCDTYPE = nullptr;
    LcdLabel* LcdTimeT = nullptr;
    LcdLabel* LCDTime = nullptr;
    LcdLabel* LCDC = nullptr;
    QFrame* Panel4 = nullptr;
    QLineEdit* T1LO = nullptr;
    QLineEdit* T1VALUE = nullptr;
    QLineEdit* T1HI = nullptr;
    QFrame* Panel5 = nullptr;
    QLineEdit* T2LO = nullptr;
    QLineEdit* T2VALUE = nullptr;
    QLineEdit* T2HI = nullptr;
    QFrame* Panel6 = nullptr;
    QLineEdit* T1_T2 = nullptr;

    // ---- Trend chart (TFCOMM_Chart.cpp) ----------------------------------
    // Start-up steps of the chart, called by FormCreate in its order.
    void ChartCreate();           // ChartControl for Chtshow, page width 100
    void ChartFillPlaceholders(); // one placeholder point per series
    void ChartSetStartupRange();  // SetAxisMax(10000), SetAxisMin(-10000)
    void ChartDestroy();
    // The decoder's hand-off: widen the vertical range around a reading.
    void ChartWidenRange(double value);
    // The schedule's hand-off: plot a reading and show the page number.
    void ChartAddReading(double value);
    // "New" empties the chart.
    void ChartClear();
    void ShowChartPage(); // Bt10 shows the control's current page
    void BtFirstClick();
    void BTPreviousClick();
    void BtNextClick();
    void BTlastClick();
    void MaxrecordExit();

    TChartControl* ChartControl = nullptr;
    QWidget* Chtshow = nullptr;
    class TrendChartView* ChartView = nullptr; // Chtshow, with its chart operations
    QLineEdit* Maxrecord = nullptr;
    QToolButton* BtFirst = nullptr;
    QToolButton* BTPrevious = nullptr;
    QToolButton* Bt10 = nullptr;
    QToolButton* BtNext = nullptr;
    QToolButton* BTlast = nullptr;
    QToolButton* BtNew = nullptr;
    QToolButton* BtSave = nullptr;
    QLabel* CONok = nullptr;
    QLabel* CONokN = nullptr;

    // ---- Reading table and sampling schedule (TFCOMM_Recording.cpp) -------
    void TableCreate(); // creates and opens cds1, shown by DBGrid1
    void TableDestroy();
    void INDataToTable();
    void TrecordTimer();
    void RecordSITimeChange();
    bool RecordSITimeKeyPress(QLineEdit* sender, QKeyEvent* key); // true: discarded
    void RecordNewClick();
    void N10001Click();                                  // record limit 1000
    void N50001Click();                                  // 5000
    void N100001Click();                                 // 10000
    void N500001Click();                                 // 50000
    void N1000001Click();                                // 100000
    void limitessClick();                                // "limitless": ten million
    void ChooseRecordLimit(QAction* item, qint32 limit); // checks item, unchecks the rest

    class ReadingTable* cds1 = nullptr; // the session's table
    QCheckBox* RepeatSet = nullptr;
    QCheckBox* RecordSI = nullptr;
    QLineEdit* RecordSITime = nullptr;
    class ReadingGrid* DBGrid1 = nullptr;
    QMenu* RecordMenu = nullptr;
    QAction* New1 = nullptr;
    QAction* Save1 = nullptr; // "Save": bound by the table files
    QAction* N10001 = nullptr;
    QAction* N50001 = nullptr;
    QAction* N100001 = nullptr;
    QAction* N500001 = nullptr;
    QAction* N1000001 = nullptr;
    QAction* limitess = nullptr;

    // ---- Table files (TFCOMM_Files.cpp) ------------------------------------
    void saveasClick();       // "Save data files", "Record" > "Save"
    void SpeedButton2Click(); // "Open old data files"
    void SaveTableToFile(class ReadingTable& table, const QString& fileName);
    void LoadTableFromFile(const QString& fileName, class ReadingTable& table);

    // ---- Printing and chart picture (TFCOMM_Print.cpp) -------------------
    void BtPrintClick(); // the report of the rows present, in the print preview
    void BtSaveClick();  // the chart as drawn now, as a bitmap or PNG file
    PrintDialogs& PrintDialogsInUse() const;

    // ---- Journal of the table (TFCOMM_Journal.cpp) ------------------------
    // Starts this run's journal, then offers back the journals earlier runs
    // left, newest first, before any reading is taken.
    void JournalCreate();
    void OfferLeftoverJournals();
    void ShowRestoredTable(); // the grid at the last row, the chart's last page
    SessionJournal* Journal() const { return journal_.get(); } // null: none

    // ---- Cable connection, frame builder, meter commands (TFCOMM_Link.cpp) --
    void LinkDestroy();  // ends any reader before the device objects go away
    void USBConClick();  // connect or disconnect, as the button's state says
    void ReadBtnClick(); // stops reading from the selected device
    void SetFeatureClick();
    void SendDataClick(); // the preamble report
    void SendUSBData(quint8 code);
    void ConTimerTimer();
    void HidDataArrived(THidDevice* HidDev, quint8 ReportID, const quint8* Data, quint16 Size);
    void HidCtlDeviceChange(QObject* Sender);    // DevListBox shows the session's devices
    THidDevice* DevListBoxDevice(int row) const; // the device object of a line

    THidDevice* const& ActiveCable; // the session's
    QListWidget* DevListBox = nullptr;
    QToolButton* ReadBtn = nullptr;
    QPushButton* SetFeature = nullptr;
    QPushButton* SendData = nullptr;
    QMenu* ConnectMenu = nullptr;
    QAction* START1 = nullptr; // Ctrl+A
    QAction* STOP1 = nullptr;

protected:
    // The close box and Quit end the program cleanly: the journal goes.
    void closeEvent(QCloseEvent* event) override;

private:
    void buildForm();
    void buildLinkRow(QWidget* client);
    void buildReadout(QWidget* client);
    void buildLimitPanels(QWidget* client);
    void buildRecordingRow(QWidget* client);
    // Each area builds its own controls on the client area.
    void CreateReadoutBehaviour();                 // TFCOMM_Readout.cpp
    void CreateChartControls(QWidget* client);     // TFCOMM_Chart.cpp
    void CreateRecordingControls(QWidget* client); // TFCOMM_Recording.cpp
    void CreateLinkControls(QWidget* client);      // TFCOMM_Link.cpp
    void CreateFileControls();                     // TFCOMM_Files.cpp
    void CreatePrintControls();                    // TFCOMM_Print.cpp
    void PushLimits();                             // the limit edits, to the session
    void PushScheduleSettings();                   // the recording row, to the session
    void PushLinkSettings();                       // RecallData and the speed boxes

    // What the session reports, shown by the area it belongs to.
    void devicesListed() override;                   // TFCOMM_Link.cpp
    void linkStateChanged(LinkState state) override; // TFCOMM_Link.cpp
    void connectionReleased() override;              // TFCOMM_Link.cpp
    void readingsArriving(bool arriving) override;   // TFCOMM_Link.cpp
    void information(const QString& text) override;  // TFCOMM_Link.cpp
    void readingDecoded(const DecodedReading& reading,
                        std::optional<Verdict> verdict) override; // TFCOMM_Readout.cpp
    void tableEmptied() override;                                 // TFCOMM_Recording.cpp
    void chartValueAdded(double value) override;                  // TFCOMM_Recording.cpp

    UserDialogs* dialogs_;
    hid::Platform* hidPlatform_;
    std::function<QString()> queryDecimalSeparator_;
    PrintDialogs* printDialogs_;
    LastFolder lastFolder_;
    QString journalFolder_;
    std::unique_ptr<SessionJournal> journal_; // before the session's end
    bool desktopSessionEnding_ = false;       // a close then keeps the journal
};
