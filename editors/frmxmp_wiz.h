#pragma once
// The XMP wizard: a modal dialog that builds or clears the two XMP profiles
// of a DDR3 or DDR4 image in the shared SPD buffer. One panel per memory
// type (Frame4 DDR3, Frame1 DDR4), filled on opening from the image's JEDEC
// base timings; "Setup" and "Clear" change the block, ask, and on Yes raise
// the XMP changed flag and close, after which the main window copies the
// block back into the document. The dialog never touches a document.

#include "rules/editors/XmpBlock.h"

#include <QDialog>
#include <QString>
#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

class frmxmp_wiz : public QDialog {
    Q_OBJECT
public:
    // Builds the window and runs Form_Load: the panel of the current memory
    // type, filled from the shared SPD buffer. That type stays the dialog's
    // for as long as it is open.
    explicit frmxmp_wiz(QWidget* parent = nullptr);

    // ---- Operations ----
    void CLEAR_DDR4_XMP();
    void CLEAR_DDR3_XMP();
    void DDR4_PF_SETUP();
    void DDR3_PF_SETUP();
    // One profile from the panel's controls into the shared buffer; nothing
    // is written when the controls do not make a profile.
    xmp::Result DDR3_PROFILE1_SETUP();
    xmp::Result DDR3_PROFILE2_SETUP();
    xmp::Result PROFILE1_SETUP();
    xmp::Result PROFILE2_SETUP();
    void DDR3_XMP_LOAD();
    void DDR4_XMP_LOAD();

    // ---- Event handlers ----
    void ASPEED_Click();
    void Command1_Click(); // "Close"
    void Command2_Click(); // "Clear"
    void Command3_Click(); // "Setup"
    void Form_Load();
    void SPEED_Click();
    void VOLT1_Change();

    // What the panels' controls say, read by list position.
    xmp::ddr4::Choice ddr4Choice() const;
    xmp::ddr3::Choice ddr3Choice() const;
    // The position of a list's chosen item; -1 when typed text leaves no
    // item chosen.
    static int listIndex(const QComboBox* list);

    // ---- Controls ----
    QGroupBox* Frame1() const { return frame1_; }
    QGroupBox* Frame4() const { return frame4_; }
    QPushButton* Command1() const { return command1_; }
    QPushButton* Command2() const { return command2_; }
    QPushButton* Command3() const { return command3_; }
    // DDR4 panel.
    QComboBox* PFNUM() const { return d4_.pfnum; }
    QComboBox* SPEED() const { return d4_.speed; }
    QComboBox* VOLT1() const { return d4_.volt1; }
    QComboBox* VOLT2() const { return d4_.volt2; }
    QCheckBox* CL_CHK(int k) const { return d4_.cl[static_cast<std::size_t>(k)]; }
    QComboBox* TAA() const { return d4_.clocks[0]; }
    QComboBox* TRCD() const { return d4_.clocks[1]; }
    QComboBox* TRP() const { return d4_.clocks[2]; }
    QComboBox* TRAS() const { return d4_.clocks[3]; }
    QComboBox* TRC() const { return d4_.clocks[4]; }
    // DDR3 panel.
    QComboBox* APFNUM() const { return d3_.pfnum; }
    QComboBox* ASPEED() const { return d3_.speed; }
    QComboBox* AVOLT1() const { return d3_.volt1; }
    QComboBox* AVOLT2() const { return d3_.volt2; }
    QCheckBox* ACL_CHK(int k) const { return d3_.cl[static_cast<std::size_t>(k)]; }
    QComboBox* ATAA() const { return d3_.clocks[0]; }
    QComboBox* ATRCD() const { return d3_.clocks[1]; }
    QComboBox* ATRP() const { return d3_.clocks[2]; }
    QComboBox* ATRAS() const { return d3_.clocks[3]; }
    QComboBox* ATRC() const { return d3_.clocks[4]; }

private:
    struct Panel {
        QComboBox* pfnum = nullptr;
        QComboBox* speed = nullptr;
        QComboBox* volt1 = nullptr;
        QComboBox* volt2 = nullptr;
        std::array<QCheckBox*, 18> cl{};
        std::array<QComboBox*, 5> clocks{}; // tAA, tRCD, tRP, tRAS, tRC
    };
    QGroupBox* buildPanel(bool ddr4, Panel& p);
    void applyLoaded(Panel& p, const xmp::LoadedClocks& clocks);
    // Asks the question of a Setup or Clear whose change is already in the
    // buffer; No puts the block back as it was before the button.
    void confirm(const QString& text, const QString& title, const velmora::SpdImage& before, int first, int last);
    void refuse(const xmp::Result& r, const QString& gradeName);

    QGroupBox* frame1_ = nullptr;
    QGroupBox* frame4_ = nullptr;
    Panel d4_;
    Panel d3_;
    QPushButton* command1_ = nullptr;
    QPushButton* command2_ = nullptr;
    QPushButton* command3_ = nullptr;
    // The memory type the dialog was opened on (11 or 12): Setup and Clear
    // act on its panel and block, whatever other windows decode meanwhile.
    int type_ = 0;
};
