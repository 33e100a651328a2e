#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QMainWindow>
#include <QStringList>

#include "ui/converter_port.h"
#include "ui/properties_form.h"
#include "ui/gui_config.h"
#include "ui/ui_hooks.h"

class QAction;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QMenu;
class QModelIndex;
class QPlainTextEdit;
class QProgressBar;
class QSplitter;
class QStandardItem;
class QStandardItemModel;
class QTabWidget;
class QToolBar;
class QTreeView;

namespace ambrix::ui {

class TSqlHighlighter;

/// Creates the converter object; throws when it cannot connect.
using ConverterFactory = std::function<std::unique_ptr<IConverterPort>()>;

/// The main window: the project's object tree, the source and destination
/// scripts and the alarms of the selected object, the log and the progress
/// of long operations, and every command of the program.
class TMainForm : public QMainWindow {
  Q_OBJECT
 public:
  /// Item roles of the object tree.
  enum TreeRole {
    LevelRole = Qt::UserRole + 1,
    ObjectIdRole,
    TypeObjectRole,
    NodeIdRole,
    ObjectNameRole,
  };
  /// Item roles of the alarm grid's rows.
  enum AlarmRole { AlarmObjectIdRole = Qt::UserRole + 1, AlarmLineRole, AlarmPosRole };

  TMainForm(TGuiConfig config, ConverterFactory factory, TUiHooks hooks, QWidget* parent = nullptr);
  ~TMainForm() override;

  // Window operations.
  void AddLog(const QString& msg);
  void AppendLog(const QString& msg);
  void ProgressStart(int max);
  void ProgressPosition(int position);
  void AlarmsChanged();
  void SetCaption(const QString& projectName);
  void SetProjectOpened(bool opened);
  void SetObjectActions(bool value);
  void RunEditor(const QString& objectName, const QStringList& lines);

  /// Creates the converter object on the first activation; later calls do
  /// nothing. False when the converter could not be created (the program is
  /// then ended through `Terminate`).
  bool FormActivate();

  // Handlers of the actions; each runs as one command (see RunCommand).
  void ProjectOpenActionExecute();
  void ProjectCloseActionExecute();
  /// Shows no project any more: the converter, the tree, the alarms and the
  /// views let go of it.
  void CloseProject();
  /// After the project list: the open project deleted there is closed, one
  /// renamed there is shown under its new name.
  void FollowOpenProject();
  void ProjectAddScriptActionExecute();
  void ProjectGenerateActionExecute();
  void EditCompileActionExecute();
  void EditViewActionExecute();
  void EditClearCompileActionExecute();
  void EditClearCompileTypeActionExecute();
  void EditDeleteActionExecute();
  void HelpAboutActionExecute();
  /// "Найти": shows the find bar over the current page (the source or the
  /// converted script, or the alarm grid) with the text to find selected.
  void EditFindActionExecute();
  /// "Найти далее" (F3, Enter in the find bar): the next match on the current
  /// page; the status bar says when there is none. False then.
  bool EditFindNextActionExecute();
  /// "Свойства": the properties of the selected object or of the project.
  void ProjectPropActionExecute();
  /// The lines "Свойства" shows.
  std::vector<PropertyRow> PropertyRows();
  /// "Печать": prints the current page's text through the print dialog.
  void ProjectPrintActionExecute();
  /// The text "Печать" prints: the current script view's, or the alarm
  /// grid's rows as lines.
  QString PrintedText() const;
  /// "Настройки редактора": edits and saves the external editor's settings.
  void OptionEditorActionExecute();
  /// "Установить/обновить репозиторий": sets up the configured repository as
  /// `ambrix repository init` does and says what it did.
  void OptionRepositoryActionExecute();
  /// The repository the window works on, as a location text.
  QString RepositoryText() const;
  void AlarmGridDblClick(const QModelIndex& index);
  void ExpandAlarms();    ///< "Раскрыть все"
  void CollapseAlarms();  ///< "Свернуть все"

  /// Makes the tree node of this object current (as a click would).
  bool SelectObject(int objectId);
  /// Makes the tree node at `index` current.
  void SelectNode(const QModelIndex& index);
  /// The folder where "Редактор" writes the object's file.
  static QString ScriptFolder();

  IConverterPort* Converter() const { return Converter_.get(); }
  bool ProjectOpened() const { return ProjectOpened_; }
  bool Busy() const { return Busy_; }
  int SavedPageIndex() const { return SavedPageIndex_; }
  const TGuiConfig& Config() const { return Config_; }
  /// Called when the converter cannot be created; ends the program.
  std::function<void()> Terminate;

  // Actions.
  QAction* ProjectOpenAction = nullptr;
  QAction* ProjectCloseAction = nullptr;
  QAction* ProjectAddScriptAction = nullptr;
  QAction* ProjectGenerateAction = nullptr;
  QAction* ProjectPropAction = nullptr;
  QAction* ProjectPrintAction = nullptr;
  QAction* ProjectExitAction = nullptr;
  QAction* EditFindAction = nullptr;
  QAction* EditFindNextAction = nullptr;
  QAction* EditClearCompileAction = nullptr;
  QAction* EditClearCompileTypeAction = nullptr;
  QAction* EditCompileAction = nullptr;
  QAction* EditViewAction = nullptr;
  QAction* EditDeleteAction = nullptr;
  QAction* OptionEditorAction = nullptr;
  QAction* OptionRepositoryAction = nullptr;
  QAction* HelpAboutAction = nullptr;

  // Menus and their separators that follow the window's state.
  QMenu* ProjectMenu = nullptr;
  QMenu* EditMenu = nullptr;
  QMenu* OptionsMenu = nullptr;
  QMenu* HelpMenu = nullptr;
  QAction* ProjectSeparators[5]{};  ///< the first four follow the project state
  QAction* EditSeparators[2]{};

  // Widgets.
  QToolBar* ToolBar = nullptr;
  QSplitter* ObjectSplitter = nullptr;
  QWidget* ObjectPanel = nullptr;
  QTreeView* ObjectTree = nullptr;
  QStandardItemModel* TreeModel = nullptr;
  QWidget* PageControlPanel = nullptr;
  QTabWidget* PageControl = nullptr;
  QWidget* MSSQLTab = nullptr;
  QWidget* ASATab = nullptr;
  QWidget* AlarmTab = nullptr;
  QPlainTextEdit* SourceView = nullptr;
  QPlainTextEdit* DestView = nullptr;
  TSqlHighlighter* SourceHighlighter = nullptr;
  TSqlHighlighter* DestHighlighter = nullptr;
  QTreeView* AlarmGrid = nullptr;
  QStandardItemModel* AlarmModel = nullptr;
  QMenu* AlarmMenu = nullptr;
  QWidget* ProgressBarPanel = nullptr;
  QProgressBar* ProgressBar = nullptr;
  QWidget* FindPanel = nullptr;  ///< the find bar under the pages, hidden until "Найти"
  QLineEdit* FindEdit = nullptr;
  QPushButton* FindNextButton = nullptr;
  QWidget* LogPanel = nullptr;
  QPlainTextEdit* LogView = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateActions();
  void CreateMenus();
  void CreateWidgets();
  void UpdateActions();
  /// Runs one user command: the actions that would start another are
  /// disabled while it runs, and a failure is shown in an error box.
  bool RunCommand(const std::function<void()>& body);
  void ProcessMessages();
  /// The options dialog of one run, started from the saved run settings;
  /// false when cancelled. The settings chosen are saved.
  bool AskRunOptions(bool forGeneration, TOptAddScript& options);
  /// Sets up the repository and says what was done; throws when refused.
  void InitRepositoryAndTell();
  /// Whether the configured repository is a server's database holding no table.
  bool ServerDatabaseIsEmpty() const;

  void ObjectTreeChangeNode();
  void ReloadTree(bool keepCurrent);
  void FocusFirstNode();
  void RefreshScriptViews();
  void ShowScriptPages(bool show);
  QStandardItem* CurrentNode() const;
  bool IsGroupLevel(int level) const { return level == 0 || level == 2; }
  void StartEditor(const QStringList& arguments, const QString& workingDirectory);
  QMessageBox::StandardButton Ask(QMessageBox::Icon icon, const QString& caption,
                                  const QString& text, QMessageBox::StandardButtons buttons);
  void PlaceCursor(int line, int column, const QString& word);
  void ChangeNode();

  TGuiConfig Config_;
  ConverterFactory Factory_;
  TUiHooks Hooks_;
  std::unique_ptr<IConverterPort> Converter_;
  bool ProjectOpened_ = false;
  QString OpenedProjectName_;
  // The scripts read in this window: a generated script is never written over
  // one of them (the converter compares them as files).
  std::vector<std::string> ReadScripts_;
  int SavedPageIndex_ = 0;
  bool ObjectActions_ = false;
  bool Busy_ = false;
  bool CloseRequested_ = false;
  bool Activated_ = false;
  bool Rebuilding_ = false;
};

}  // namespace ambrix::ui
