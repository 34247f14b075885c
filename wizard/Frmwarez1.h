#pragma once
// The SPD wizard: a modal dialog of five steps (module type, speed grade,
// module parameters, timings, manufacturer's information) that fills the
// wizard answers and wizard texts of the program-wide state and raises the
// wizard finished flag on "Finish".
//
// The nine page frames lie at one place; the step counter names the page on
// show (0 type, 1 speed, 2 parameters, 3 timing, 4 manufacturer; 5 while
// "Finish" runs) and step1 switches to it, recording the answers of the
// page it comes from. The window is ready as soon as it is made: the
// constructor runs Form_Load, and a second call changes nothing.

#include <QDialog>
#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class Frmwarez1 : public QDialog {
    Q_OBJECT
public:
    explicit Frmwarez1(QWidget* parent = nullptr);

    void Form_Load();
    void Command1_Click();  // "Cancel"
    void Command2_Click();  // "Previous"
    void Command3_Click();  // "Next"
    void Command4_Click();  // "Finish"
    void step1();

    int step() const { return step_; }

    // ---- Controls ----
    QPushButton* Command1() const { return command1_; }
    QPushButton* Command2() const { return command2_; }
    QPushButton* Command3() const { return command3_; }
    QPushButton* Command4() const { return command4_; }
    QLabel* Image1() const { return image1_; }
    QGroupBox* Frame1() const { return frame1_; }
    // optRamType(0) "SDRAM" .. optRamType(4) "DDR4 SDRAM".
    QRadioButton* optRamType(int index) const { return optRamType_.at(static_cast<std::size_t>(index)); }
    // The speed frame of a memory type (1 SDRAM .. 5 DDR4): FraSDRFreq,
    // FraDDRFreq, FraDDR2Freq, FraDDR3freq, FraDDR4freq.
    QGroupBox* speedFrame(int type) const { return speedFrames_.at(static_cast<std::size_t>(type - 1)); }
    // Option 0 to 3 of a type's speed frame: optRamTypeSDR(i), ...
    QRadioButton* speedOption(int type, int option) const
    {
        return speedOptions_.at(static_cast<std::size_t>(type - 1)).at(static_cast<std::size_t>(option));
    }
    QGroupBox* fraDramIC() const { return fraDramIC_; }
    QComboBox* CboSize() const { return cboSize_; }
    QComboBox* CboDataWidth() const { return cboDataWidth_; }
    QComboBox* CboSide() const { return cboSide_; }
    QCheckBox* Check1() const { return check1_; }
    QGroupBox* fraDramTime() const { return fraDramTime_; }
    QComboBox* cbotcl() const { return cbotcl_; }
    QComboBox* cbotrcd() const { return cbotrcd_; }
    QComboBox* cbotrp() const { return cbotrp_; }
    QComboBox* cbotras() const { return cbotras_; }
    QGroupBox* fraInfo() const { return fraInfo_; }
    QLineEdit* Text1() const { return text1_; }
    QLineEdit* Text2() const { return text2_; }

protected:
    // No button answers Esc by itself; the title bar's close box is Cancel.
    void keyPressEvent(QKeyEvent* e) override;

private:
    // The memory type (1 to 5) of the selected type option.
    int selectedType() const;
    // Shows one page frame and hides the other eight.
    void showPage(QGroupBox* page);
    void setButtons(bool previous, bool next, bool finish);
    // Module parameter page: fill the lists, record the answers.
    void fillParameters();
    void recordParameters();
    // Module timing page: fill the lists, record the answers.
    void fillTimings();
    void recordTimings();

    int step_ = 0;

    QLabel* image1_ = nullptr;
    QGroupBox* frame1_ = nullptr;
    std::array<QRadioButton*, 5> optRamType_{};
    std::array<QGroupBox*, 5> speedFrames_{};
    std::array<std::array<QRadioButton*, 4>, 5> speedOptions_{};
    QGroupBox* fraDramIC_ = nullptr;
    QComboBox* cboSize_ = nullptr;
    QComboBox* cboDataWidth_ = nullptr;
    QComboBox* cboSide_ = nullptr;
    QCheckBox* check1_ = nullptr;
    QGroupBox* fraDramTime_ = nullptr;
    QComboBox* cbotcl_ = nullptr;
    QComboBox* cbotrcd_ = nullptr;
    QComboBox* cbotrp_ = nullptr;
    QComboBox* cbotras_ = nullptr;
    QGroupBox* fraInfo_ = nullptr;
    QLineEdit* text1_ = nullptr;
    QLineEdit* text2_ = nullptr;
    QPushButton* command1_ = nullptr;
    QPushButton* command2_ = nullptr;
    QPushButton* command3_ = nullptr;
    QPushButton* command4_ = nullptr;
};
