#pragma once
// What a document window asks of the window that holds it: the programmer's
// status when it loads, a save when the user closes it with changes, and a
// word when it has closed. The main window fills it in; a document made
// without a host (the dump tool, a benchmark) does without these.

class frmDocument;

class DocumentHost {
public:
    // Asks the programmer for doc's status, whose answer arranges doc's
    // device panels; window events run while it waits.
    virtual void requestStatus(frmDocument& doc) = 0;
    // Saves the document as "Save" does; false when nothing was written.
    virtual bool saveDocument(frmDocument* doc) = 0;
    // The window is closing for good.
    virtual void documentClosing(frmDocument* doc) = 0;

protected:
    ~DocumentHost() = default;
};
