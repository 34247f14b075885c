#pragma once
// The manufacturer information dialog: shows and edits the manufacturer
// block of the image in the shared SPD buffer (identifiers with their JEDEC
// names, location, date with the date stamp, serial number, part number,
// revision, manufacturer's data). Two layouts in one place: Frame1 for DDR3
// and DDR4 images, Frame2 (the DDR2 positions) for every other type. It never
// touches a document; a confirmed "Setup" or "Clear" writes the buffer and
// raises the manufacturer setup flag, and the main window copies the block
// back.

#include "state/Globals.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class frmmft : public QDialog {
    Q_OBJECT
public:
    explicit frmmft(QWidget* parent = nullptr);

    // The opening steps: rights, caption, layout and its contents.
    void Form_Load();

    // ---- Layouts ----
    void DDR2_FORM_LOAD();
    void DDR34_FORM_LOAD();
    void DDR3_MFT_STATUS();
    void DDR4_MFT_STATUS();
    // Write the controls into an image (the dialog's copy of the shared
    // buffer, which becomes the buffer only when the user confirms).
    void DDR2_MFT_SETUP(velmora::SpdImage& buffer) const;
    void DDR3_MFT_SETUP(velmora::SpdImage& buffer) const;
    void DDR4_MFT_SETUP(velmora::SpdImage& buffer) const;

    // ---- Names ----
    // The manufacturer dialog's lookup: the JEDEC name string becomes the
    // key's name or the empty text.
    void JEDEC_PROG(const QString& JEDEC);
    void DDR2_JEDEC_NAME();
    void SHOW_JEDEC_NAME1();
    void SHOW_JEDEC_NAME2();

    // ---- Event handlers ----
    void Command1_Click();  // Close
    void Command2_Click();  // Setup
    void Command3_Click();  // Clear
    void Check1_Click();
    void Check2_Click();
    void D2ID_Click(int Index);
    void JID1_Click() { SHOW_JEDEC_NAME1(); }
    void JID2_Click() { SHOW_JEDEC_NAME1(); }
    void JID3_Click() { SHOW_JEDEC_NAME2(); }
    void JID4_Click() { SHOW_JEDEC_NAME2(); }

    // ---- Controls ----
    QPushButton* Command1() const { return command1_; }
    QPushButton* Command2() const { return command2_; }
    QPushButton* Command3() const { return command3_; }
    QGroupBox* Frame1() const { return frame1_; }
    QGroupBox* Frame2() const { return frame2_; }
    // A list by name ("JID1", "YEAR", "D2ID(3)", "SNUM(0)", ...), nullptr
    // when there is none.
    QComboBox* list(const QString& name) const;
    QLineEdit* text(const QString& name) const;  // "Text1" .. "Text4"
    QLabel* label(const QString& name) const;    // "Label2", "Lab1(4)", ...
    QCheckBox* check(const QString& name) const; // "Check1", "Check2"

private:
    void buildDdr34Frame();
    void buildDdr2Frame();
    // Loads the DDR3 (11) or DDR4 (12) bytes into the DDR3/DDR4 layout.
    void showDdr34(int type);
    QComboBox* makeList(QWidget* parent, const QString& name, int left, int top);
    void fillBytes(std::initializer_list<QComboBox*> lists);
    void stampDate(QComboBox* year, QComboBox* week, QCheckBox* box);

    int type_ = 0;          // the current memory type at opening
    bool loading_ = false;  // lists being filled: no name lookups yet

    QPushButton* command1_ = nullptr;
    QPushButton* command2_ = nullptr;
    QPushButton* command3_ = nullptr;
    QGroupBox* frame1_ = nullptr;
    QGroupBox* frame2_ = nullptr;

    // DDR3/DDR4 layout.
    QComboBox* JID1_ = nullptr;
    QComboBox* JID2_ = nullptr;
    QComboBox* JID3_ = nullptr;
    QComboBox* JID4_ = nullptr;
    QComboBox* LOC_ = nullptr;
    QComboBox* YEAR_ = nullptr;
    QComboBox* WEEK_ = nullptr;
    std::array<QComboBox*, 4> SNUM_{};
    QComboBox* REV1_ = nullptr;
    QComboBox* REV2_ = nullptr;
    QLineEdit* Text1_ = nullptr;
    QLineEdit* Text2_ = nullptr;
    QCheckBox* Check1_ = nullptr;
    QLabel* Label2_ = nullptr;
    QLabel* Label5_ = nullptr;
    QLabel* Label11_ = nullptr;
    std::array<QLabel*, 8> Lab1_{};  // Lab1(0) .. Lab1(7)

    // DDR2 layout.
    std::array<QComboBox*, 8> D2ID_{};
    QComboBox* MLOC_ = nullptr;
    QComboBox* MREV1_ = nullptr;
    QComboBox* MREV2_ = nullptr;
    QComboBox* MYEAR_ = nullptr;
    QComboBox* MWEEK_ = nullptr;
    std::array<QComboBox*, 4> MSNUM_{};
    QLineEdit* Text3_ = nullptr;
    QLineEdit* Text4_ = nullptr;
    QCheckBox* Check2_ = nullptr;
    QLabel* Label15_ = nullptr;
    QLabel* Label18_ = nullptr;
};
