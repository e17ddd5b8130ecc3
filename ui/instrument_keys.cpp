// The keyboard at the instrument drop-down. No instrument name can be typed in: every character
// typed while it has the focus is discarded, whether its list is closed or open. The keys that
// move the selection choose an instrument at each move, open list or closed, as a pick with
// the mouse does.
#include "ui/tuner.h"

#include "support/step.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <algorithm>

void Tuner::cboInstrument_KeyPress(int16_t& KeyAscii) {
    KeyAscii = 0;
}

void Tuner::runInstrumentSelection() {
    attempt([this] { cboInstrument_Click(); });
    describeControls();
}

// Keys in the open list. Moving with the arrow, page and end keys chooses the entry moved to at
// once; Enter and Escape then close the list on it, as the platform's drop-down with an edit
// field does, and run nothing more. Characters are discarded, so a letter jumps to no entry.
bool Tuner::instrumentListKey(const QKeyEvent& key) {
    QAbstractItemView* list = cboInstrument->view();
    const int rows = cboInstrument->count();
    const int row = list->currentIndex().row();
    const int page = std::max(1, list->viewport()->height() / std::max(1, list->sizeHintForRow(0)));
    int to = -1;
    switch (key.key()) {
    case Qt::Key_Up:
        to = std::max(0, row - 1);
        break;
    case Qt::Key_Down:
        to = row < 0 ? 0 : std::min(rows - 1, row + 1);
        break;
    case Qt::Key_PageUp:
        to = std::max(0, row - page);
        break;
    case Qt::Key_PageDown:
        to = std::min(rows - 1, std::max(0, row + page));
        break;
    case Qt::Key_Home:
        to = 0;
        break;
    case Qt::Key_End:
        to = rows - 1;
        break;
    case Qt::Key_Enter:
    case Qt::Key_Return:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return false;
    default:
        return !key.text().isEmpty(); // a character: discarded
    }
    if (key.modifiers() & Qt::AltModifier)
        return false; // Alt with an arrow closes the list
    if (rows > 0 && to != row) {
        list->setCurrentIndex(cboInstrument->model()->index(to, 0));
        cboInstrument->setCurrentIndex(to);
        runInstrumentSelection();
    }
    return true;
}

bool Tuner::eventFilter(QObject* watched, QEvent* event) {
    if (watched == cboInstrument->view()) {
        const auto type = event->type();
        if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride)
            return QWidget::eventFilter(watched, event);
        const auto& key = *static_cast<QKeyEvent*>(event);
        // The list takes Enter before it is pressed: on the entry already chosen it only
        // closes; an entry the mouse points at is picked, as a click would.
        if ((key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) &&
            cboInstrument->view()->currentIndex().row() == cboInstrument->currentIndex()) {
            cboInstrument->hidePopup();
            return true;
        }
        if (type == QEvent::KeyPress)
            return instrumentListKey(key);
    } else if (watched == cboInstrument && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // Tab still moves the focus on.
        if (!key->text().isEmpty() && key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab) {
            auto code = int16_t(key->text().at(0).unicode());
            cboInstrument_KeyPress(code);
            if (code == 0)
                return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
