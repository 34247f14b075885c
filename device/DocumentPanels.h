#pragma once
// The document's device panels: the SPD transfer panel (Frame4), the tester
// set-up panel (Frame5), the test panel (TEST_FRAME) with its lamps,
// counters, log and the lamp frames, the test-result banner (S_FRAME) and
// the busy panel (Frame15) with its pictures. One DevicePanels object per
// document holds the controls and runs their handlers; the device
// operations reach it through devicePanels(doc).

#include "platform/Look.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>

class frmDocument;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace device {

class DeviceOps;

// A round shape with a fill colour (the status and fail lamps).
class Lamp : public QWidget {
    Q_OBJECT
public:
    Lamp(QWidget* parent, const QString& name, look::VbColor fill, int diameterTwips);
    look::VbColor fillColor() const { return fill_; }
    void setFillColor(look::VbColor c);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    look::VbColor fill_;
};

// Lit and dark lamps, the unlit fail lamps.
inline constexpr look::VbColor kLampLit = look::kRed;
inline constexpr look::VbColor kLampDark = look::kLightBlue;
inline constexpr look::VbColor kBannerGreen = 0x00C000;
inline constexpr look::VbColor kTestFailBack = 0x8080FF;
// A disabled device button of a colour of its own: its caption, and how far
// its colour fades towards the button face.
inline constexpr look::VbColor kDisabledTestText = 0x707070;
inline constexpr double kDisabledFade = 0.65;

// The scenes of the busy panel: which of the pictures Image11, Image16,
// Image12, Image13, Image14 and Image15 show.
enum class Scene {
    ComputerToProgrammer,   // Image11, Image12, Image14
    ComputerProgrammerBoth, // Image11, Image12, Image14, Image15
    ProgrammerToComputer,   // Image11, Image12, Image15
    ModuleToComputer,       // Image11, Image13, Image15
    ModuleToProgrammer,     // Image16, Image13, Image15
    ProgrammerToModule,     // Image16, Image13, Image14
    ProgrammerModuleBoth,   // Image16, Image13, Image14, Image15
    ProgrammerAndHand,      // Image16, Image15 (and Image17 shown)
};

class DevicePanels : public QObject {
    Q_OBJECT
public:
    // ops: the device operations the buttons run (none: the buttons do
    // nothing).
    DevicePanels(frmDocument& doc, DeviceOps* ops);

    frmDocument& doc() const { return doc_; }

    // ---- Frames ----
    QGroupBox* Frame4 = nullptr;      // SPD transfer panel
    QGroupBox* Frame5 = nullptr;      // tester set-up panel
    QGroupBox* TEST_FRAME = nullptr;  // test panel
    QGroupBox* S_FRAME = nullptr;     // test-result banner
    QGroupBox* Frame15 = nullptr;     // busy panel
    QGroupBox* Frame7 = nullptr;      // test log view (inside TEST_FRAME)
    QGroupBox* Frame8 = nullptr;
    QGroupBox* Frame21 = nullptr;
    QGroupBox* Frame22 = nullptr;
    QGroupBox* Frame23 = nullptr;     // right half of the set-up panel
    QGroupBox* Frame12 = nullptr;
    QGroupBox* Frame14 = nullptr;

    // ---- Busy panel ----
    QWidget* Shape2 = nullptr;
    std::array<QLabel*, 18> Image{};  // Image11..Image17 at their numbers
    QLabel* Label134 = nullptr;       // "00"
    QLabel* Label99 = nullptr;        // "X8"
    void showBusy(Scene s);
    void hideBusy();

    // ---- SPD transfer panel ----
    QPushButton* Command1 = nullptr;   // "Write =>"
    QPushButton* Command2 = nullptr;   // "<= Load Tester"
    QPushButton* Command9 = nullptr;   // "<= Load Module"
    QPushButton* Command3 = nullptr;   // "<=  Verify  =>"
    QPushButton* Command4 = nullptr;   // "Clear (00)"
    QPushButton* Command5 = nullptr;   // "Read"
    QPushButton* Command6 = nullptr;   // "Copy"
    QPushButton* Command7 = nullptr;   // "Verify"
    QPushButton* Command17 = nullptr;  // "Learn"
    QPushButton* Command16 = nullptr;  // "X"

    // ---- Tester set-up panel ----
    std::array<QCheckBox*, 7> F_CHK{};  // F_CHK1..F_CHK6 at their numbers
    QCheckBox* ASNUM_CHK = nullptr;
    QCheckBox* AVR_CHK = nullptr;
    QCheckBox* KEY_CHK = nullptr;
    std::array<QRadioButton*, 2> DIR_OPT{};
    std::array<QRadioButton*, 2> HEX_OPT{};
    std::array<QRadioButton*, 3> EEP_OPT{};
    std::array<QLineEdit*, 5> STEXT{};  // STEXT1..STEXT4 at their numbers
    QPushButton* Command10 = nullptr;   // "Load Default"
    QPushButton* Command15 = nullptr;   // "SETUP"
    QPushButton* Command8 = nullptr;    // "Main Menu"
    QPushButton* Command14 = nullptr;   // "X"
    // The chosen EEPROM-size option (0 "By SPD", 1 "256 Byte", 2 "512 Byte").
    int eepromChoice() const;

    // ---- Test panel ----
    QPushButton* TEST_COMMAND = nullptr;
    QLabel* PASS_LABEL = nullptr;
    QLabel* FAIL_LABEL = nullptr;
    QPushButton* Command11 = nullptr;  // "Status"
    QPushButton* Command18 = nullptr;  // "Reset"
    QPushButton* Command12 = nullptr;  // PC picture: the set-up panel
    QPushButton* Command13 = nullptr;  // tester picture: the SPD transfer panel
    QPushButton* Command19 = nullptr;  // "X" of the log view
    std::array<Lamp*, 17> F_LED{};     // F_LED1..6 and F_LED11..16 at their numbers
    QLabel* F_LAB14 = nullptr;
    QLabel* F_LAB15 = nullptr;
    QLabel* F_LAB16 = nullptr;
    QLabel* F_LAB20 = nullptr;
    QLabel* Label56 = nullptr;         // current with " mA"
    QLabel* AMP_LAB = nullptr;         // current, digits alone
    std::array<Lamp*, 4> FAIL_LED{};   // power, open, short, SPD
    QListWidget* List1 = nullptr;
    QLabel* STS_LAB1 = nullptr;        // the banner's text

    // Background colours of the "TEST" button and the banner.
    static void setBackColor(QWidget* w, look::VbColor c);
    static look::VbColor backColor(const QWidget* w);

    // ---- Handlers ----
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command9_Click();
    void Command17_Click();
    void TEST_COMMAND_Click();
    void Label60_Click();
    void Command16_Click();
    void Command8_Click();
    void Command14_Click();
    void Command12_Click();
    void Command13_Click();
    void Command11_Click();
    void Command19_Click();
    void Command18_Click();
    // The document's test time-out (its Timer2).
    void Timer2_Timer();
    // Byte 0 selected again after a transfer.
    void select_first_byte();

    // Set-up panel.
    void F_CHK_Click(int n);  // n = 1..6
    void ASNUM_CHK_Click();
    void AVR_CHK_Click();
    void KEY_CHK_Click();
    void DIR_OPT_Click(int index);
    void HEX_OPT_Click(int index);
    void EEP_OPT_Click(int index);
    void STEXT_KeyDown(int n, int key);  // n = 1..4
    void Command10_Click();  // "Load Default"
    void Command15_Click();  // "SETUP"

    // Shows one of the three device panels that share a place and hides
    // the other two (NoPanel: hides all three).
    enum Panel { NoPanel = -1, TransferPanel = 0, SetupPanel = 1, TestPanel = 2 };
    void showPanel(Panel which);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildBusyPanel(QWidget* canvas);
    void buildTransferPanel(QWidget* canvas);
    void buildSetupPanel(QWidget* canvas);
    void buildTestPanel(QWidget* canvas);
    void buildBanner(QWidget* canvas);
    void guardedButton(const std::function<void()>& calls);
    // A click that finds the line held by a status request the user did
    // not start: true when it runs again (click) once that request is over.
    bool heldBack(const std::function<void()>& click);

    frmDocument& doc_;
    QPointer<DeviceOps> ops_;
};

// The panels of a document (nullptr for a widget that has none).
DevicePanels* devicePanels(const frmDocument* doc);

// Puts the device panels on a new document window, their buttons running
// ops.
void buildDevicePanels(frmDocument& doc, DeviceOps* ops);

} // namespace device
