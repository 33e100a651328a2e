#include "ui/view_search.h"

#include <vector>

#include <QAbstractItemModel>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <QTreeView>

namespace ambrix::ui {

bool FindInTextView(QPlainTextEdit* view, const QString& text) {
  if (text.isEmpty()) return false;
  QTextDocument* document = view->document();
  QTextCursor found = document->find(text, view->textCursor());
  if (found.isNull()) found = document->find(text, 0);
  if (found.isNull()) return false;
  view->setTextCursor(found);
  view->ensureCursorVisible();
  return true;
}

namespace {

// Every row of the model, each before its children (the order they are shown).
void CollectRows(const QAbstractItemModel* model, const QModelIndex& parent, std::vector<QModelIndex>& rows) {
  for (int r = 0; r < model->rowCount(parent); ++r) {
    const QModelIndex row = model->index(r, 0, parent);
    rows.push_back(row);
    CollectRows(model, row, rows);
  }
}

bool RowContains(const QModelIndex& row, const QString& text) {
  const QAbstractItemModel* model = row.model();
  for (int c = 0; c < model->columnCount(row.parent()); ++c)
    if (row.siblingAtColumn(c).data().toString().contains(text, Qt::CaseInsensitive)) return true;
  return false;
}

}  // namespace

bool FindInTreeView(QTreeView* view, const QString& text) {
  const QAbstractItemModel* model = view->model();
  if (text.isEmpty() || model == nullptr) return false;
  std::vector<QModelIndex> rows;
  CollectRows(model, {}, rows);
  const QModelIndex current = view->currentIndex().siblingAtColumn(0);
  std::size_t start = 0;
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (rows[i] == current) start = i + 1;
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const QModelIndex row = rows[(start + k) % rows.size()];
    if (!RowContains(row, text)) continue;
    for (QModelIndex up = row.parent(); up.isValid(); up = up.parent()) view->expand(up);
    view->setCurrentIndex(row);
    view->scrollTo(row);
    return true;
  }
  return false;
}

}  // namespace ambrix::ui
