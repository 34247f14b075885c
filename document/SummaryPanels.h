#pragma once
// The document's two summary panels and the thin step that puts the
// decoders' captions on them. The decoders themselves are plain rules
// (rules/decode/); the document's decode dispatch calls one of the three
// steps below for every decoded byte.

class frmDocument;
class QGroupBox;

namespace decode {

// Create the labels of the SDRAM/DDR/DDR2 panel (Frame2) and of the DDR3/DDR4
// panel (Frame10) inside the document's two summary frames.
void buildSdramPanel(frmDocument& doc, QGroupBox* frame2);
void buildDdr34Panel(frmDocument& doc, QGroupBox* frame10);

// Refresh the captions that depend on byte A of the document's image.
void ddr2_table_chang(frmDocument& doc, int A);
void ddr3_table_chang(frmDocument& doc, int A);
void ddr4_table_chang(frmDocument& doc, int A);

} // namespace decode
