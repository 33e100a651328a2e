#pragma once

#include <QString>

class QPlainTextEdit;
class QTreeView;

namespace ambrix::ui {

/// Finds `text` (case ignored) in a script view after its cursor, going on
/// from the top when the end is reached; selects the match. False when the
/// text is nowhere in the view.
bool FindInTextView(QPlainTextEdit* view, const QString& text);

/// Finds the next row of a tree or grid (in the order the rows are shown,
/// groups first, after the current row, going on from the top) with a cell
/// that contains `text` (case ignored); makes it current, expanding the
/// groups above it. False when no row has it.
bool FindInTreeView(QTreeView* view, const QString& text);

}  // namespace ambrix::ui
