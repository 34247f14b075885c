#pragma once
// The document's device panels: the SPD transfer panel (Frame4), the tester
// set-up panel (Frame5), the test panel (TEST_FRAME), the test-result banner
// (S_FRAME) and the busy panel (Frame15).

class frmDocument;

namespace device {

void buildDevicePanels(frmDocument& doc);

} // namespace device
