// The control bar's state: the range it shows follows the active document, the radios
// and edits reflect the shared state, and only Abort acts while a run is in progress.

#include <QAbstractButton>
#include <QAction>
#include <QLineEdit>
#include <QProgressBar>

#include <algorithm>
#include <climits>

#include "app/ControlBar.h"
#include "app/MainFrame.h"
#include "document/ZelfDoc.h"
#include "view/CommandIds.h"
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

}  // namespace

int CMainFrame::rangeMode() const {
    const CZelfDoc* doc = ActiveDocument();
    return doc ? static_cast<int>(doc->Range().mode) : -1;
}

int CMainFrame::rangeStart() const {
    const CZelfDoc* doc = ActiveDocument();
    return doc ? doc->Range().first : 0;
}

int CMainFrame::rangeEnd() const {
    const CZelfDoc* doc = ActiveDocument();
    return doc ? doc->Range().last : 0;
}

// The bar shows the active document's range (held by the document, so each document keeps
// its own and nothing is copied back and forth), the output depth, and what can be used.
void CMainFrame::OnUpdateBarControl() {
    OnUpdatePlaybackBar();
    CControlBar& bar = *controlBar_;
    CZelfView* view = ActiveView();
    const std::shared_ptr<CZelfDoc> active = view ? view->DocumentPtr() : nullptr;
    if (!active) {
        // Nothing to convert or play: no range, no progress, no frame.
        for (int id = kIdRangeIdentical; id <= kIdBits16; ++id) bar.Control(id)->setEnabled(false);
        bar.SetChecked(kIdRangeIdentical, false);
        bar.SetChecked(kIdRangeAll, false);
        bar.SetEditText(kIdStartEdit, {});
        bar.SetEditText(kIdEndEdit, {});
        bar.Progress()->reset();
        SetPaneText(kPaneFrame, QStringLiteral("F:         /        "));
        SetPaneText(kPaneTime, {});
        barDoc_.reset();
        return;
    }
    const zel::FrameRange& range = active->Range();
    // The edits are rewritten only when the document changed or its range differs from
    // what they read, so text being typed is never replaced under the cursor.
    const bool otherDocument = barDoc_.lock() != active;
    if (otherDocument || ReadDecimal(bar.Edit(kIdStartEdit)->text()) != range.first)
        bar.SetEditText(kIdStartEdit, QString::number(range.first));
    if (otherDocument || ReadDecimal(bar.Edit(kIdEndEdit)->text()) != range.last)
        bar.SetEditText(kIdEndEdit, QString::number(range.last));
    barDoc_ = active;
    const bool enabled = !runningDoc_;
    for (int id = kIdRangeIdentical; id <= kIdBits16; ++id) bar.Control(id)->setEnabled(id == kIdAbort || enabled);
    bar.SetChecked(kIdRangeIdentical, range.mode == zel::RangeMode::Identical);
    bar.SetChecked(kIdRangeAll, range.mode == zel::RangeMode::All);
    bar.SetChecked(kIdBits8, bitSel_ == 0);
    bar.SetChecked(kIdBits16, bitSel_ == 1);
}

// Typing into Start or End selects the Start..End range of the active document.
void CMainFrame::OnRangeEdited() {
    CZelfDoc* doc = ActiveDocument();
    if (doc == nullptr || runningDoc_) return;
    const int start = ReadDecimal(controlBar_->Edit(kIdStartEdit)->text());
    const int end = ReadDecimal(controlBar_->Edit(kIdEndEdit)->text());
    const zel::FrameRange& range = doc->Range();
    if (start != range.first || end != range.last) doc->SetRange({zel::RangeMode::Identical, start, end});
    UpdateCommandUI();
}

void CMainFrame::OnBarCommand(int id) {
    CZelfView* view = ActiveView();
    if (view == nullptr) return;
    if (runningDoc_) {
        if (id == kIdAbort) StopRun();
        UpdateCommandUI();  // a radio toggled meanwhile shows the state again
        return;
    }
    CZelfDoc& doc = *view->GetDocument();
    switch (id) {
        case kIdRangeIdentical:
        case kIdRangeAll: {
            zel::FrameRange range = doc.Range();
            const auto chosen = static_cast<zel::RangeMode>(id - kIdRangeIdentical);
            // A second click on the checked radio clears it.
            range.mode = range.mode == chosen ? zel::RangeMode::Neither : chosen;
            doc.SetRange(range);
            break;
        }
        case kIdTop: {
            zel::FrameSpan span;
            if (!RangeToRun(doc, span, tr("Cannot show the range's first frame"))) break;
            SetProgress(span.first, span.last, int64_t{span.first} - 1);
            ShowFrame(doc, span.first);
            break;
        }
        case kIdPlay: RunFrames(0); break;
        case kIdStepForward: RunFrames(+1); break;
        case kIdStepBack: RunFrames(-1); break;
        case kIdBits8:
        case kIdBits16: bitSel_ = id - kIdBits8; break;
        default: break;
    }
    UpdateCommandUI();
}

void CMainFrame::SetProgress(int64_t low, int64_t high, int64_t value) {
    const auto clampInt = [](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX)); };
    QProgressBar& progress = *controlBar_->Progress();
    progress.setRange(clampInt(low), clampInt(std::max(low, high)));
    progress.setValue(static_cast<int>(std::clamp<int64_t>(value, progress.minimum(), progress.maximum())));
}

void CMainFrame::EnableRunControls(bool enable) {
    const bool exemptAbort = !enable && ActiveDocument() != nullptr;
    for (int id = kIdRangeIdentical; id <= kIdBits16; ++id)
        controlBar_->Control(id)->setEnabled(id == kIdAbort && exemptAbort ? true : enable);
    Action(kIdFileOpen)->setEnabled(enable);
    Action(kIdConvertToTiff)->setEnabled(enable);
}

}  // namespace zel::gui
