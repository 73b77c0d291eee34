// The views of the destination document: they register with the document and redraw
// when it sends them an update code.
#pragma once

namespace zordb {

enum ViewUpdate : int {
    kRebuildAll = 1,          // the lists were loaded or imported: rebuild from the document
    kPrinterSelected = 2,     // the collected printers hold the selected printer (or none)
    kGroupSelected = 3,       // the current group changed
    kGroupPrintersReady = 4,  // the printer names of a top-level group's closure are ready
};

} // namespace zordb

class DocumentObserver {
public:
    virtual ~DocumentObserver() = default;
    virtual void OnUpdate(int code) = 0;
};
