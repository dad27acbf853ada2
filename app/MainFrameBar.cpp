// The control bar's state: the range it shows follows the active document, the radios
// and edits reflect the shared state, and only Abort acts while a run is in progress.

#include <QAbstractButton>
#include <QAction>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QProgressBar>

#include <algorithm>
#include <climits>

#include "app/CommandIds.h"
#include "app/ControlBar.h"
#include "app/MainFrame.h"
#include "document/ZelfDoc.h"
#include "view/ZelfView.h"

namespace zel::gui {

namespace {

// Reads the text as C's atoi does: leading blanks, an optional sign, then digits; text
// without a leading number reads as 0. Values beyond an int are held at its limits.
int ReadDecimal(const QString& text) {
    int i = 0;
    while (i < text.size() && text[i].isSpace()) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) negative = text[i++] == QLatin1Char('-');
    long long value = 0;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        value = value * 10 + (text[i].unicode() - '0');
        if (value > INT_MAX + 1LL) value = INT_MAX + 1LL;
    }
    value = negative ? -value : value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

void SetEditNumber(QLineEdit* edit, int value) {
    const QString text = QString::number(value);
    if (edit->text() != text) edit->setText(text);
}

}  // namespace

void CMainFrame::OnUpdateBarControl() {
    CZelfView* view = ActiveView();
    const std::shared_ptr<CZelfDoc> active = view ? view->DocumentPtr() : nullptr;
    const std::shared_ptr<CZelfDoc> tracked = trackedDoc.lock();
    if (active != tracked && tracked) {
        // Store the bar's range into the document it showed, if its window still exists.
        if (trackedChild) tracked->SetConversionRange(rangeStart, rangeEnd, rangeMode != 0);
        trackedChild = nullptr;
        trackedDoc.reset();
    }
    CControlBar& bar = *controlBar_;
    if (!active) {
        for (int id = kIdRangeIdentical; id <= kIdBits16; ++id) bar.Control(id)->setEnabled(false);
        trackedChild = nullptr;
        trackedDoc.reset();
        return;
    }
    if (active != tracked) {
        rangeMode = active->convertAllFrames != 0 ? 1 : 0;
        rangeStart = active->convertFirst;
        rangeEnd = active->convertLast;
        SetEditNumber(bar.Edit(kIdStartEdit), rangeStart);
        SetEditNumber(bar.Edit(kIdEndEdit), rangeEnd);
        trackedChild = ActiveChild();
        trackedDoc = active;
    }
    // Typing into Start or End selects the Start..End range.
    const int start = ReadDecimal(bar.Edit(kIdStartEdit)->text());
    const int end = ReadDecimal(bar.Edit(kIdEndEdit)->text());
    if (start != rangeStart || end != rangeEnd) {
        rangeStart = start;
        rangeEnd = end;
        rangeMode = 0;
    }
    const bool enabled = runInProgress != 1;
    for (int id = kIdRangeIdentical; id <= kIdBits16; ++id) bar.Control(id)->setEnabled(id == kIdAbort || enabled);
    bar.Button(kIdRangeIdentical)->setChecked(rangeMode == 0);
    bar.Button(kIdRangeAll)->setChecked(rangeMode == 1);
    bar.Button(kIdBits8)->setChecked(bitSel == 0);
    bar.Button(kIdBits16)->setChecked(bitSel == 1);
}

void CMainFrame::OnBarCommand(int id) {
    CZelfView* view = ActiveView();
    if (view == nullptr) return;
    if (runInProgress != 0 && id != kIdAbort) return;
    CZelfDoc& doc = *view->GetDocument();
    switch (id) {
        case kIdRangeIdentical:
        case kIdRangeAll: rangeMode = rangeMode == id - kIdRangeIdentical ? -1 : id - kIdRangeIdentical; break;
        case kIdTop: {
            const int first = rangeMode != 0 ? 0 : rangeStart;
            const int last = rangeMode != 0 ? doc.frameCount() - 1 : rangeEnd;
            QProgressBar* progress = controlBar_->Progress();
            progress->setRange(first, std::max(first, last));
            progress->setValue(std::clamp(first - 1, progress->minimum(), progress->maximum()));
            if (first >= 0 && first < doc.frameCount()) ShowFrame(doc, first);
            break;
        }
        case kIdPlay: RunFrames(0); break;
        case kIdAbort: abortRequested = 1; break;
        case kIdStepForward: RunFrames(+1); break;
        case kIdStepBack: RunFrames(-1); break;
        case kIdBits8:
        case kIdBits16: bitSel = id - kIdBits8; break;
        default: break;
    }
}

void CMainFrame::EnableRunControls(bool enable) {
    const bool exemptAbort = !enable && ActiveDocument() != nullptr;
    for (int id = kIdRangeIdentical; id <= kIdBits16; ++id) {
        if (id == kIdAbort && exemptAbort) {
            controlBar_->Control(id)->setEnabled(true);
            continue;
        }
        controlBar_->Control(id)->setEnabled(enable);
    }
    Action(kIdFileOpen)->setEnabled(enable);
    Action(kIdConvertToTiff)->setEnabled(enable);
}

}  // namespace zel::gui
