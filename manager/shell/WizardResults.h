// What the Add Printer command takes from its wizard after Finish: the new printer's values
// into the tree's pending printer, and whether its driver must first be installed from the
// driver disk that offered it.
#pragma once

class CMyWizard;
class TreeView;

namespace sendaro {

// Fills tree.pendingPrinter from the pages (the driver as the list shows it, upper case).
// A driver that is not among the installed ones sets driverInstallPending, and the first
// disk model of that name gives pendingInfPath (which otherwise keeps its value).
void TakeAddPrinterValues(const CMyWizard &wizard, TreeView &tree);

} // namespace sendaro
