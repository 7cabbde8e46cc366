#pragma once
// Print, Print Setup and Print Preview as the main window's client area
// carries them out, on the application's printer and page setup.

#include "print/hex_dump_page.h"

#include <functional>
#include <memory>

class OBufferView;
class QMainWindow;
class QPrinter;
class QWidget;

// The system's default printer, or PDF output when the system has none, so
// the commands work on any machine; 20 mm margins on the left, 10 mm
// elsewhere, which the page layout applies itself on the whole sheet.
std::unique_ptr<QPrinter> MakeAppPrinter();

// Counts the view's pages, runs the print dialog over them and prints the
// pages chosen. A cancelled dialog prints and changes nothing.
void RunPrint(QPrinter& printer, OPrintSetup& setup, OBufferView* view, QWidget* parent);
// The page setup dialog on the printer.
void RunPrintSetup(QPrinter& printer, QWidget* parent);
// Shows the preview in place of `frame` until it is closed, then brings the
// frame back where the preview last stood. `print` runs the print command.
void RunPrintPreview(QPrinter& printer, OPrintSetup& setup, OBufferView* view, QMainWindow* frame,
                     const std::function<void()>& print);

// Tests answer the print dialog: true prints, with the printer as set up.
using PrintDialogHook = std::function<bool(QPrinter& printer, int minPage, int maxPage)>;
void SetPrintDialogHook(PrintDialogHook hook);
