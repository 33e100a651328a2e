// The main window driven through its actions, over the in-memory converter.
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

#include "fake_converter.h"
#include "test_classes.h"
#include "ui/add_script_opt_form.h"
#include "ui/main_form.h"
#include "ui/project_form.h"
#include "ui/project_table_model.h"
#include "ui_test_support.h"

namespace ambrix::ui::test {

namespace {

// Writes a script file for a test; false when it cannot.
bool WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Triggers `action` and accepts its options dialog with the hooks' chosen file.
void RunWithChosenFile(QAction* action) {
  WhenModal<TAddScriptOptForm>([](TAddScriptOptForm* f) {
    f->ScriptButton->click();
    f->RunButton->click();
  });
  action->trigger();
}

QStringList LogLines(const TMainForm& form) {
  return form.LogView->toPlainText().split(u'\n');
}

/// A window over a fake converter with one project "Demo" (id 1) holding a
/// table with a primary key and a view, activated and with nothing open.
struct Window {
  explicit Window(TGuiConfig config = DefaultConfig()) {
    auto owned = std::make_unique<FakeConverter>();
    fake = owned.get();
    fake->projects = {{1, QStringLiteral("Demo"), 1, QStringLiteral("demo_dsn")},
                      {2, QStringLiteral("Other"), 1, {}}};
    fake->nextProjectId = 3;
    orders = fake->AddObject(QStringLiteral("Orders"), QStringLiteral("TABLE"),
                             QStringLiteral("create table Orders (\r\n  id int\r\n)"));
    pk = fake->AddObject(QStringLiteral("PK_Orders"), QStringLiteral("CONSTRAINT PRIMARY KEY"),
                         QStringLiteral("alter table Orders add constraint PK_Orders primary key (id)"),
                         orders);
    view = fake->AddObject(QStringLiteral("Active"), QStringLiteral("VIEW"),
                           QStringLiteral("create view Active as select 1 as x"));
    form = std::make_unique<TMainForm>(
        config, [&owned]() -> std::unique_ptr<IConverterPort> { return std::move(owned); },
        hooks.Hooks());
    form->FormActivate();
  }

  static TGuiConfig DefaultConfig() {
    TGuiConfig config;
    config.EditorPath = QStringLiteral("/usr/bin/dbisql");
    return config;
  }

  /// Opens project `id` through the project dialog.
  void Open(int id) {
    WhenModal<TProjectForm>([id](TProjectForm* f) {
      f->LocateProject(id);
      f->SelectButton->click();
    });
    form->ProjectOpenAction->trigger();
  }

  QModelIndex Node(const QString& caption) const {
    const QModelIndexList found = form->TreeModel->match(
        form->TreeModel->index(0, 0), Qt::DisplayRole, caption, 1, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? QModelIndex() : found.first();
  }

  void Select(const QString& caption) { form->SelectNode(Node(caption)); }

  bool TabShown(QWidget* tab) const { return form->PageControl->isTabVisible(form->PageControl->indexOf(tab)); }

  RecordingHooks hooks;
  FakeConverter* fake = nullptr;
  std::unique_ptr<TMainForm> form;
  int orders = 0, pk = 0, view = 0;
};

}  // namespace

class MainFormTests : public QObject {
  Q_OBJECT

  QTemporaryDir cache_;

 private slots:
  void initTestCase() { qputenv("XDG_CACHE_HOME", cache_.path().toUtf8()); }

  // ----- start-up and state

  void StartLogsBannerAndInitialisation() {
    Window w;
    QCOMPARE(LogLines(*w.form),
             (QStringList{QStringLiteral("Конвертор баз данных MS SQLServer 2000 в Sybase Anywhere Studio 9.0"),
                          QStringLiteral("Версия 1.0"), QString(),
                          QStringLiteral("Инициализация конвертора ... OK")}));
    QCOMPARE(w.form->windowTitle(), QStringLiteral("Velkor Ambrix Database Convertor"));
    QVERIFY(w.form->ProjectOpenAction->isEnabled());
    QVERIFY(w.hooks.Messages.empty());
  }

  void FailedConverterShowsItsErrorAndEndsTheProgram() {
    RecordingHooks hooks;
    TMainForm form(Window::DefaultConfig(),
                   []() -> std::unique_ptr<IConverterPort> { throw Error("нет связи с репозиторием"); },
                   hooks.Hooks());
    bool terminated = false;
    form.Terminate = [&] { terminated = true; };
    QVERIFY(!form.FormActivate());
    QVERIFY(terminated);
    QCOMPARE(hooks.Messages.size(), size_t(1));
    QCOMPARE(hooks.Messages[0].Icon, QMessageBox::Critical);
    QCOMPARE(hooks.Messages[0].Caption, QStringLiteral("Не возможно инициализировать конвертор"));
    QCOMPARE(hooks.Messages[0].Text, QStringLiteral("нет связи с репозиторием"));
    QVERIFY(!form.ProjectOpenAction->isEnabled());
  }

  void ActionsHaveTheirCaptionsHintsAndShortcuts() {
    Window w;
    struct Row {
      QAction* action;
      const char* caption;
      const char* hint;
      const char* shortcut;
    };
    TMainForm& f = *w.form;
    const Row rows[] = {
        {f.ProjectOpenAction, "Открыть ...", "Открыть проект", "Ctrl+O"},
        {f.ProjectCloseAction, "Закрыть проект", "Закрыть проект", ""},
        {f.ProjectAddScriptAction, "Реинженеринг скрипта MSSQL", "Реинженеринг скрипта MSSQL", ""},
        {f.ProjectGenerateAction, "Сгенерировать скрипт ASA", "Сгенерировать скрипт ASA", ""},
        {f.ProjectPropAction, "Свойства ...", "Свойства проекта", ""},
        {f.ProjectPrintAction, "Печать ...", "Печать", ""},
        {f.ProjectExitAction, "Выход", "Выход", "Ctrl+Q"},
        {f.EditFindAction, "Найти ...", "Найти", "Ctrl+F"},
        {f.EditFindNextAction, "Найти далее", "Найти далее", "F3"},
        {f.EditClearCompileAction, "Сбросить всю компиляцию", "Сбросить всю компиляцию", ""},
        {f.EditClearCompileTypeAction, "Сбросить компиляцию текущего типа",
         "Сбросить компиляцию текущего типа", ""},
        {f.EditCompileAction, "Скомпилировать", "Скомпилировать", "Alt+C"},
        {f.EditViewAction, "Редактор", "Редактор", "Alt+E"},
        {f.EditDeleteAction, "Удалить", "Удалить обьект", "Alt+Del"},
        {f.OptionEditorAction, "Настройки редактора ...", "Настройки редактора", ""},
        {f.OptionRepositoryAction, "Установить/обновить репозиторий ...",
         "Установить репозиторий в пустую базу или обновить его", ""},
        {f.HelpAboutAction, "О программе ...", "О программе", ""},
    };
    for (const Row& row : rows) {
      QCOMPARE(row.action->text(), QString::fromUtf8(row.caption));
      QCOMPARE(row.action->toolTip(), QString::fromUtf8(row.hint));
      QCOMPARE(row.action->shortcut(), QKeySequence(QString::fromUtf8(row.shortcut)));
    }
    QCOMPARE(f.ToolBar->actions(),
             (QList<QAction*>{f.ProjectOpenAction, f.ProjectAddScriptAction, f.ProjectGenerateAction,
                              f.EditFindAction, f.EditCompileAction, f.EditViewAction, f.EditDeleteAction}));
    QCOMPARE(f.ProjectMenu->title(), QStringLiteral("Проект"));
    QCOMPARE(f.EditMenu->title(), QStringLiteral("Правка"));
    QCOMPARE(f.OptionsMenu->title(), QStringLiteral("Опции"));
    QCOMPARE(f.HelpMenu->title(), QStringLiteral("Помощь"));
    QCOMPARE(f.ProjectMenu->actions().size(), 12);
    QCOMPARE(f.PageControl->tabText(0), QStringLiteral("Исходный (MSSQL)"));
    QCOMPARE(f.PageControl->tabText(1), QStringLiteral("Полученный (ASA)"));
    QCOMPARE(f.PageControl->tabText(2), QStringLiteral("Предупреждения"));
    QCOMPARE(f.PageControl->tabPosition(), QTabWidget::South);
  }

  void WithoutProjectOnlyProjectIndependentActionsShow() {
    Window w;
    TMainForm& f = *w.form;
    QVERIFY(!f.ObjectPanel->isVisibleTo(&f));
    QVERIFY(!f.PageControlPanel->isVisibleTo(&f));
    QVERIFY(!f.EditMenu->menuAction()->isVisible());
    for (QAction* a : {f.ProjectCloseAction, f.ProjectAddScriptAction, f.ProjectGenerateAction,
                       f.EditCompileAction, f.EditDeleteAction})
      QVERIFY(!a->isVisible());
    for (int i = 0; i < 4; ++i) QVERIFY(!f.ProjectSeparators[i]->isVisible());
    QVERIFY(f.ProjectSeparators[4]->isVisible());
    QVERIFY(f.ProjectOpenAction->isVisible() && f.ProjectExitAction->isEnabled());
  }

  // ----- opening and closing

  void OpensAProjectThroughTheDialog() {
    Window w;
    w.Open(1);
    TMainForm& f = *w.form;
    QVERIFY(f.ProjectOpened());
    QCOMPARE(w.fake->projectId, 1);
    QCOMPARE(f.windowTitle(), QStringLiteral("Velkor Ambrix Database Convertor [Demo]"));
    QVERIFY(LogLines(f).contains(QStringLiteral("Открыт проект \"Demo\"")));
    QVERIFY(f.ObjectPanel->isVisibleTo(&f) && f.PageControlPanel->isVisibleTo(&f));
    QVERIFY(f.EditMenu->menuAction()->isVisible());
    QVERIFY(f.ProjectCloseAction->isVisible() && f.ProjectAddScriptAction->isEnabled());
    // The first node is a type group: only the alarm page shows.
    QCOMPARE(f.ObjectTree->currentIndex(), f.TreeModel->index(0, 0));
    QCOMPARE(f.TreeModel->index(0, 0).data().toString(), QStringLiteral("TABLE"));
    QVERIFY(!w.TabShown(f.MSSQLTab) && !w.TabShown(f.ASATab));
    QCOMPARE(f.PageControl->currentWidget(), f.AlarmTab);
    QVERIFY(!f.EditCompileAction->isVisible());
    QVERIFY(!f.EditSeparators[1]->isVisible());
  }

  void CreatesAProjectInTheDialogAndOpensIt() {
    Window w;
    WhenModal<TProjectForm>([](TProjectForm* f) {
      f->NavClick(TProjectForm::NavButton::Insert);
      const int row = f->Model->EditRow();
      f->Model->setData(f->Model->index(row, TProjectTableModel::NameColumn), QStringLiteral("Новый"),
                        Qt::EditRole);
      f->SelectButton->click();
    });
    w.form->ProjectOpenAction->trigger();
    QCOMPARE(w.fake->projects.size(), size_t(3));
    QCOMPARE(w.fake->projectId, 3);
    QVERIFY(LogLines(*w.form).contains(QStringLiteral("Открыт проект \"Новый\"")));
  }

  void OpeningTheOpenProjectAgainDoesNothing() {
    Window w;
    w.Open(1);
    const QString log = w.form->LogView->toPlainText();
    w.fake->calls.clear();
    w.Open(1);
    QVERIFY(w.fake->calls.isEmpty());
    QCOMPARE(w.form->LogView->toPlainText(), log);
  }

  void LeavingTheDialogOpensNothing() {
    Window w;
    WhenModal<TProjectForm>([](TProjectForm* f) { f->ExitButton->click(); });
    w.form->ProjectOpenAction->trigger();
    QVERIFY(!w.form->ProjectOpened());
    QVERIFY(w.fake->calls.isEmpty());
  }

  // The project list may rename or delete the open project, however the
  // dialog is left: the window shows the new name, or no project at all.
  void TheWindowFollowsTheOpenProjectRenamedOrDeletedInTheList() {
    Window w;
    w.Open(1);
    TMainForm& f = *w.form;
    WhenModal<TProjectForm>([](TProjectForm* d) {
      d->LocateProject(1);
      d->Model->setData(d->Model->index(d->CurrentRow(), TProjectTableModel::NameColumn), QStringLiteral("Склад"),
                        Qt::EditRole);
      d->ExitButton->click();
    });
    f.ProjectOpenAction->trigger();
    QVERIFY(f.ProjectOpened());
    QCOMPARE(w.fake->projectName, QStringLiteral("Склад"));
    QCOMPARE(f.windowTitle(), QStringLiteral("Velkor Ambrix Database Convertor [Склад]"));
    QVERIFY(LogLines(f).contains(QStringLiteral("Проект \"Demo\" переименован в \"Склад\"")));

    const struct {
      const char* leaving;
      bool choose;  // leave with "Загрузить" on the other project, else with "Выйти"
    } cases[] = {{"exit", false}, {"open another", true}};
    for (const auto& c : cases) {
      w.Open(1);
      WhenModal<TProjectForm>([choose = c.choose](TProjectForm* d) {
        d->LocateProject(1);
        d->NavClick(TProjectForm::NavButton::Delete);
        if (choose) {
          d->LocateProject(2);
          d->SelectButton->click();
        } else {
          d->ExitButton->click();
        }
      });
      f.ProjectOpenAction->trigger();
      QVERIFY2(LogLines(f).contains(QStringLiteral("Открытый проект \"Склад\" удалён")), c.leaving);
      QCOMPARE(w.fake->projectId, c.choose ? 2 : 0);
      QCOMPARE(f.ProjectOpened(), c.choose);
      QCOMPARE(f.windowTitle(), c.choose ? QStringLiteral("Velkor Ambrix Database Convertor [Other]")
                                         : QStringLiteral("Velkor Ambrix Database Convertor"));
      QCOMPARE(f.ProjectGenerateAction->isEnabled(), c.choose);
      // The deleted project comes back for the next case.
      w.fake->projects.insert(w.fake->projects.begin(), {1, QStringLiteral("Склад"), 1, {}});
      f.ProjectCloseAction->trigger();
    }
  }

  void ClosingLogsTheClosedProjectsName() {
    Window w;
    w.Open(1);
    w.form->ProjectCloseAction->trigger();
    const QStringList log = LogLines(*w.form);
    const qsizetype closed = log.indexOf(QStringLiteral("Закрыт проект \"Demo\""));
    QVERIFY(closed > 0);
    QCOMPARE(log.indexOf(QStringLiteral("Освобождение модулей конвертора завершено успешно")), closed + 1);
    QCOMPARE(w.fake->projectId, 0);
    QVERIFY(!w.form->ObjectPanel->isVisibleTo(w.form.get()));
    QCOMPARE(w.form->windowTitle(), QStringLiteral("Velkor Ambrix Database Convertor"));
    QCOMPARE(w.form->TreeModel->rowCount(), 0);
  }

  void ProjectThatFailsToLoadIsNotShownOpen() {
    Window w;
    w.Open(1);
    w.fake->failLoading = true;
    w.Open(2);
    QCOMPARE(w.hooks.Errors(), QStringList{QStringLiteral("Разделитель блока не найден")});
    QVERIFY(!w.form->ProjectOpened());
    QCOMPARE(w.fake->projectId, 0);  // released, not left half loaded
    QVERIFY(LogLines(*w.form).contains(QStringLiteral("Закрыт проект \"Demo\"")));
  }

  // ----- the tree and the pages

  void SelectingNodesHidesAndRestoresTheScriptPages() {
    Window w;
    w.Open(1);
    TMainForm& f = *w.form;
    w.Select(QStringLiteral("Orders"));
    QVERIFY(w.TabShown(f.MSSQLTab) && w.TabShown(f.ASATab));
    QCOMPARE(f.PageControl->currentIndex(), 0);  // the saved page, initially the first
    QCOMPARE(f.SourceView->toPlainText(), QStringLiteral("create table Orders (\n  id int\n)"));
    QVERIFY(f.EditCompileAction->isVisible() && f.EditCompileAction->isEnabled());
    QVERIFY(f.EditSeparators[1]->isVisible());

    f.PageControl->setCurrentWidget(f.ASATab);
    w.Select(QStringLiteral("TABLE"));
    QCOMPARE(f.SavedPageIndex(), 1);
    QCOMPARE(f.PageControl->currentWidget(), f.AlarmTab);
    QVERIFY(!w.TabShown(f.MSSQLTab) && !w.TabShown(f.ASATab));
    QVERIFY(!w.fake->ObjectScriptOpen());
    QVERIFY(f.SourceView->toPlainText().isEmpty());
    QVERIFY(!f.EditDeleteAction->isVisible());

    w.Select(QStringLiteral("Active"));
    QCOMPARE(f.PageControl->currentWidget(), f.ASATab);
    QCOMPARE(w.fake->openObject, w.view);
  }

  void ChildObjectsSitUnderATypeGroupOfTheirTable() {
    Window w;
    w.Open(1);
    const QModelIndex pk = w.Node(QStringLiteral("PK_Orders"));
    QVERIFY(pk.isValid());
    QCOMPARE(pk.parent().data().toString(), QStringLiteral("CONSTRAINT PRIMARY KEY"));
    QCOMPARE(pk.parent().parent().data().toString(), QStringLiteral("Orders"));
    // Top-level groups in alphabetical order.
    QCOMPARE(w.form->TreeModel->index(0, 0).data().toString(), QStringLiteral("TABLE"));
    QCOMPARE(w.form->TreeModel->index(1, 0).data().toString(), QStringLiteral("VIEW"));
    // A level-2 group behaves as a group: the script pages hide.
    w.Select(QStringLiteral("Orders"));
    w.form->SelectNode(pk.parent());
    QVERIFY(!w.TabShown(w.form->MSSQLTab));
    QVERIFY(!w.form->EditCompileAction->isVisible());
  }

  // ----- compile, reset, delete

  void CompileShowsTheDestinationPage() {
    Window w;
    w.Open(1);
    w.Select(QStringLiteral("Orders"));
    w.form->EditCompileAction->trigger();
    QCOMPARE(w.form->PageControl->currentWidget(), w.form->ASATab);
    QCOMPARE(w.form->DestView->toPlainText(), QStringLiteral("CREATE TABLE ORDERS (\n  ID INT\n)\n"));
    QVERIFY(LogLines(*w.form).contains(QStringLiteral("Скомпилирован обьект [Orders]")));
  }

  void CompileFailureIsShownAndTheWindowCarriesOn() {
    Window w;
    w.Open(1);
    w.Select(QStringLiteral("Orders"));
    w.fake->failCompile = true;
    w.form->EditCompileAction->trigger();
    QCOMPARE(w.hooks.Errors(), QStringList{QStringLiteral("Странная функция")});
    QCOMPARE(w.hooks.Messages.back().Caption, QStringLiteral("Velkor Ambrix Database Convertor"));
    QVERIFY(w.form->EditCompileAction->isEnabled());
    QVERIFY(!w.form->Busy());
  }

  void ResetAllAsksThenReportsDone() {
    Window w;
    w.Open(1);
    w.Select(QStringLiteral("Orders"));
    w.form->EditCompileAction->trigger();
    w.hooks.Answers = {QMessageBox::No};
    w.form->EditClearCompileAction->trigger();
    QVERIFY(!w.fake->calls.contains(QStringLiteral("ClearCompilation(0)")));
    QCOMPARE(w.hooks.Messages.back().Text,
             QStringLiteral("Вы хотите сбросить результаты компиляции всех обьектов проекта ?"));
    QCOMPARE(w.hooks.Messages.back().Caption, QStringLiteral("Внимание"));
    QCOMPARE(w.hooks.Messages.back().Icon, QMessageBox::Information);

    w.form->EditClearCompileAction->trigger();
    QVERIFY(w.fake->calls.contains(QStringLiteral("ClearCompilation(0)")));
    QCOMPARE(w.hooks.Messages.back().Caption, QStringLiteral("Готово"));
    QCOMPARE(w.hooks.Messages.back().Text, QStringLiteral("Успешно выполнено"));
    // The object stays selected and shows its reset result.
    QCOMPARE(w.fake->openObject, w.orders);
    QVERIFY(w.form->DestView->toPlainText().isEmpty());
  }

  void ResetTypeTakesTheObjectsTypeOrTheGroupsCaption() {
    Window w;
    w.Open(1);
    w.Select(QStringLiteral("Active"));
    w.form->EditClearCompileTypeAction->trigger();
    QCOMPARE(w.hooks.Messages[0].Text, QStringLiteral("Вы хотите сбросить результаты компиляции [VIEW] проекта ?"));
    QVERIFY(w.fake->calls.contains(QStringLiteral("ClearCompilation(2)")));

    w.Select(QStringLiteral("TABLE"));
    w.form->EditClearCompileTypeAction->trigger();
    QCOMPARE(w.hooks.Messages[2].Text, QStringLiteral("Вы хотите сбросить результаты компиляции [TABLE] проекта ?"));
    QVERIFY(w.fake->calls.contains(QStringLiteral("ClearCompilation(1)")));
  }

  void ResetOfAnUnknownTypeFails() {
    Window w;
    w.Open(1);
    w.fake->types.erase(w.fake->types.begin());  // TABLE is no longer a type object
    w.Select(QStringLiteral("TABLE"));
    w.form->EditClearCompileTypeAction->trigger();
    QCOMPARE(w.hooks.Errors(), QStringList{QStringLiteral("Тип обьекта не найден")});
  }

  void DeleteAsksAndRemovesTheNode() {
    Window w;
    w.Open(1);
    w.Select(QStringLiteral("Active"));
    w.hooks.Answers = {QMessageBox::No};
    w.form->EditDeleteAction->trigger();
    QCOMPARE(w.hooks.Messages[0].Text, QStringLiteral("Хотите удалить обьект [Active] из проекта ?"));
    QCOMPARE(w.hooks.Messages[0].Icon, QMessageBox::Question);
    QVERIFY(w.Node(QStringLiteral("Active")).isValid());

    w.form->EditDeleteAction->trigger();
    QVERIFY(w.fake->calls.contains(QStringLiteral("DeleteObject(%1)").arg(w.view)));
    QVERIFY(!w.Node(QStringLiteral("Active")).isValid());
    QVERIFY(w.form->ObjectTree->currentIndex().isValid());
  }

  // ----- reverse-engineering and generation

  void ImportsAScriptThroughTheOptionsDialog() {
    Window w;
    w.Open(1);
    QTemporaryDir dir;
    const QString script = dir.filePath(QStringLiteral("new.sql"));
    QVERIFY(WriteFile(script, "create table Customers (id int)\nGO\n"));
    w.fake->pendingScript = {{0, 0, QStringLiteral("Customers"), QStringLiteral("TABLE"), 0,
                              QStringLiteral("create table Customers (id int)"), std::nullopt}};
    w.hooks.ChosenFile = script;
    bool busyDuring = false, progressShown = false;
    w.fake->cb.OnProgress = [&, inner = w.fake->cb.OnProgress](int step) {
      inner(step);
      busyDuring = !w.form->ProjectOpenAction->isEnabled() && !w.form->ProjectAddScriptAction->isEnabled() &&
                   !w.form->ObjectTree->isEnabled();
      progressShown = w.form->ProgressBarPanel->isVisibleTo(w.form.get());
    };
    WhenModal<TAddScriptOptForm>([](TAddScriptOptForm* f) {
      f->ScriptButton->click();
      f->RunButton->click();
    });
    w.form->ProjectAddScriptAction->trigger();
    QCOMPARE(QString::fromStdString(w.fake->lastOptions.FileName), script);
    QCOMPARE(w.fake->lastOptions.Mode, 1);
    QVERIFY(busyDuring);
    QVERIFY(progressShown);
    QCOMPARE(w.form->ProgressBar->value(), 1);
    QVERIFY(!w.form->ProgressBarPanel->isVisibleTo(w.form.get()));
    QVERIFY(w.Node(QStringLiteral("Customers")).isValid());  // the tree was re-read
    QVERIFY(LogLines(*w.form).contains(QStringLiteral("Добавлен обьект table [Customers]")));
    QVERIFY(w.form->ProjectOpenAction->isEnabled());
  }

  void CancelledOptionsRunNothing() {
    Window w;
    w.Open(1);
    bool panelShown = false;
    WhenModal<TAddScriptOptForm>([&](TAddScriptOptForm* f) { f->CancelButton->click(); });
    connect(w.form->ProgressBar, &QProgressBar::valueChanged, [&] { panelShown = true; });
    w.form->ProjectAddScriptAction->trigger();
    QVERIFY(!w.fake->calls.join(u' ').contains(QStringLiteral("AddScript")));
    QVERIFY(!panelShown);
    QVERIFY(!w.form->ProgressBarPanel->isVisibleTo(w.form.get()));
  }

  void FailedImportStillHidesTheProgressPanel() {
    Window w;
    w.Open(1);
    w.hooks.ChosenFile = QStringLiteral("/nonexistent/script.sql");
    WhenModal<TAddScriptOptForm>([](TAddScriptOptForm* f) {
      f->ScriptButton->click();
      f->RunButton->click();
    });
    w.form->ProjectAddScriptAction->trigger();
    QCOMPARE(w.hooks.Errors(), QStringList{QStringLiteral("Файл скрипта не найден")});
    QVERIFY(!w.form->ProgressBarPanel->isVisibleTo(w.form.get()));
    QVERIFY(w.form->ProjectAddScriptAction->isEnabled());
  }

  void GeneratesAndStartsTheEditorOnTheScript() {
    Window w;
    w.Open(1);
    w.hooks.ChosenFile = QStringLiteral("/tmp/out/demo.sql");
    WhenModal<TAddScriptOptForm>([](TAddScriptOptForm* f) {
      QVERIFY(!f->ProcessGroup->isVisible());
      f->ScriptButton->click();
      f->RunButton->click();
    });
    w.form->ProjectGenerateAction->trigger();
    QCOMPARE(w.fake->lastOptions.FileName, std::string("/tmp/out/demo.sql"));
    const ShownMessage& asked = w.hooks.Messages.back();
    QCOMPARE(asked.Caption, QStringLiteral("Что дальше"));
    QCOMPARE(asked.Text, QStringLiteral("Загрузить скрипт в редактор ?"));
    QCOMPARE(asked.Icon, QMessageBox::Question);
    QCOMPARE(w.hooks.Started.size(), size_t(1));
    QCOMPARE(w.hooks.Started[0].Program, QStringLiteral("/usr/bin/dbisql"));
    QCOMPARE(w.hooks.Started[0].Arguments,
             (QStringList{"-ODBC", "-datasource", "demo_dsn", "-x", "-f", "/tmp/out/demo.sql"}));
    QCOMPARE(w.hooks.Started[0].WorkingDirectory, QStringLiteral("/tmp/out"));
  }

  // A script read in the window is one the generation may never write over
  // (the converter refuses a kept file, compared as files).
  void GenerationKeepsTheScriptsReadInTheWindow() {
    Window w;
    w.Open(1);
    QTemporaryDir dir;
    const QString script = dir.filePath(QStringLiteral("source.sql"));
    QVERIFY(WriteFile(script, "create table Customers (id int)\nGO\n"));
    w.hooks.ChosenFile = script;
    RunWithChosenFile(w.form->ProjectAddScriptAction);
    RunWithChosenFile(w.form->ProjectGenerateAction);
    QCOMPARE(w.fake->lastOptions.KeptFiles, std::vector<std::string>{script.toStdString()});
  }

  void WritableEditorLaunchLeavesOutReadOnlySwitch() {
    TGuiConfig config = Window::DefaultConfig();
    config.EditorReadOnly = false;
    Window w(config);
    w.Open(1);
    w.hooks.ChosenFile = QStringLiteral("/tmp/demo.sql");
    WhenModal<TAddScriptOptForm>([](TAddScriptOptForm* f) {
      f->ScriptButton->click();
      f->RunButton->click();
    });
    w.form->ProjectGenerateAction->trigger();
    QCOMPARE(w.hooks.Started.at(0).Arguments,
             (QStringList{"-ODBC", "-datasource", "demo_dsn", "-f", "/tmp/demo.sql"}));
  }

  void GenerationWithoutEditorFailsToStartIt() {
    TGuiConfig config = Window::DefaultConfig();
    config.EditorPath.clear();
    Window w(config);
    w.Open(1);
    w.hooks.ChosenFile = QStringLiteral("/tmp/demo.sql");
    WhenModal<TAddScriptOptForm>([](TAddScriptOptForm* f) {
      f->ScriptButton->click();
      f->RunButton->click();
    });
    w.form->ProjectGenerateAction->trigger();
    QCOMPARE(w.hooks.Errors(), QStringList{QStringLiteral("Невозможно запустить редактор SQL")});
    QVERIFY(w.hooks.Started.empty());
  }

  // ----- the external editor

  void EditorCompilesFirstThenOpensTheObjectsFile() {
    Window w;
    w.Open(1);
    w.Select(QStringLiteral("Orders"));
    w.form->EditViewAction->trigger();
    QVERIFY(w.fake->calls.contains(QStringLiteral("CompileObject(%1)").arg(w.orders)));
    const QString file = QDir(TMainForm::ScriptFolder()).filePath(QStringLiteral("Orders.sql"));
    QVERIFY(TMainForm::ScriptFolder().startsWith(cache_.path()));
    QCOMPARE(w.hooks.Started.size(), size_t(1));
    QCOMPARE(w.hooks.Started[0].Arguments, QStringList{file});
    QCOMPARE(w.hooks.Started[0].WorkingDirectory, TMainForm::ScriptFolder());
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(written.readAll()), QStringLiteral("CREATE TABLE ORDERS (\n  ID INT\n)\n"));

    w.fake->calls.clear();
    w.form->EditViewAction->trigger();  // already compiled: not again
    QVERIFY(!w.fake->calls.join(u' ').contains(QStringLiteral("CompileObject")));
  }

  void EditorThatCannotStartIsReported() {
    Window w;
    w.hooks.StartResult = false;
    w.Open(1);
    w.Select(QStringLiteral("Active"));
    w.form->EditViewAction->trigger();
    QCOMPARE(w.hooks.Errors(), QStringList{QStringLiteral("Невозможно запустить редактор SQL")});
  }

  void RealLaunchOfAMissingEditorFails() {
    TGuiConfig config = Window::DefaultConfig();
    config.EditorPath = QStringLiteral("/nonexistent/dbisql");
    RecordingHooks recorded;
    TUiHooks hooks = recorded.Hooks();
    hooks.StartDetached = DefaultUiHooks().StartDetached;
    auto owned = std::make_unique<FakeConverter>();
    FakeConverter* fake = owned.get();
    fake->projects = {{1, QStringLiteral("Demo"), 1, {}}};
    const int id = fake->AddObject(QStringLiteral("T"), QStringLiteral("TABLE"), QStringLiteral("x"));
    TMainForm form(config, [&owned]() -> std::unique_ptr<IConverterPort> { return std::move(owned); }, hooks);
    form.FormActivate();
    WhenModal<TProjectForm>([](TProjectForm* f) { f->SelectButton->click(); });
    form.ProjectOpenAction->trigger();
    QVERIFY(form.SelectObject(id));
    form.EditViewAction->trigger();
    QCOMPARE(recorded.Errors(), QStringList{QStringLiteral("Невозможно запустить редактор SQL")});
  }

  void ObjectNamesCannotLeaveTheScriptFolder() {
    Window w;
    w.fake->AddObject(QStringLiteral("../evil/x"), QStringLiteral("TABLE"), QStringLiteral("y"));
    w.Open(1);
    w.Select(QStringLiteral("../evil/x"));
    w.form->EditViewAction->trigger();
    QCOMPARE(w.hooks.Started.at(0).Arguments,
             QStringList{QDir(TMainForm::ScriptFolder()).filePath(QStringLiteral(".._evil_x.sql"))});
  }

  // ----- the alarm grid

  void AlarmsAreGroupedByAlarmThenTypeAndSortedByWord() {
    Window w;
    w.fake->alarms = {
        {1, QStringLiteral("VIEW"), w.view, QStringLiteral("Active"), QStringLiteral("Системная таблица"),
         QStringLiteral("sysobjects"), 1, 30},
        {2, QStringLiteral("TABLE"), w.orders, QStringLiteral("Orders"), QStringLiteral("Системная таблица"),
         QStringLiteral("syscolumns"), 2, 3},
        {3, QStringLiteral("TABLE"), w.orders, QStringLiteral("Orders"), QStringLiteral("Системная таблица"),
         QStringLiteral("id"), 2, 3},
        {4, QStringLiteral("TABLE"), w.orders, QStringLiteral("Orders"), QStringLiteral("INSTEAD OF триггер"),
         QStringLiteral("instead"), 1, 1},
    };
    w.Open(1);
    QStandardItemModel* m = w.form->AlarmModel;
    QCOMPARE(m->rowCount(), 2);
    QCOMPARE(m->index(0, 0).data().toString(), QStringLiteral("INSTEAD OF триггер"));
    const QModelIndex system = m->index(1, 0);
    QCOMPARE(system.data().toString(), QStringLiteral("Системная таблица"));
    QCOMPARE(m->rowCount(system), 2);
    const QModelIndex tables = m->index(0, 0, system);
    QCOMPARE(tables.data().toString(), QStringLiteral("TABLE"));
    QCOMPARE(m->index(0, 0, tables).data().toString(), QStringLiteral("id"));
    QCOMPARE(m->index(1, 0, tables).data().toString(), QStringLiteral("syscolumns"));
    QCOMPARE(m->index(1, 1, tables).data().toString(), QStringLiteral("Orders"));
    QCOMPARE(m->index(1, 2, tables).data().toString(), QStringLiteral("2"));
    QCOMPARE(m->index(1, 3, tables).data().toString(), QStringLiteral("3"));
    QCOMPARE(m->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Ключевое слово"));

    // Alarms changed: all groups collapse, the first row is current.
    QVERIFY(!w.form->AlarmGrid->isExpanded(system));
    QCOMPARE(w.form->AlarmGrid->currentIndex(), m->index(0, 0));
    w.form->ExpandAlarms();
    QVERIFY(w.form->AlarmGrid->isExpanded(system) && w.form->AlarmGrid->isExpanded(tables));
    w.form->CollapseAlarms();
    QVERIFY(!w.form->AlarmGrid->isExpanded(system) && !w.form->AlarmGrid->isExpanded(tables));
    const QStringList menu{w.form->AlarmMenu->actions()[0]->text(), w.form->AlarmMenu->actions()[1]->text()};
    QCOMPARE(menu, (QStringList{QStringLiteral("Раскрыть все"), QStringLiteral("Свернуть все")}));
  }

  void DoubleClickOnAnAlarmOpensItsObjectAtItsPosition() {
    Window w;
    w.fake->alarms = {{1, QStringLiteral("TABLE"), w.orders, QStringLiteral("Orders"),
                       QStringLiteral("Системная таблица"), QStringLiteral("ID"), 2, 3}};
    w.Open(1);
    w.Select(QStringLiteral("Orders"));
    w.form->EditCompileAction->trigger();  // refreshes the alarms
    w.Select(QStringLiteral("VIEW"));
    QStandardItemModel* m = w.form->AlarmModel;
    const QModelIndex row = m->index(0, 1, m->index(0, 0, m->index(0, 0)));
    w.form->AlarmGridDblClick(row);
    QCOMPARE(w.fake->openObject, w.orders);
    QCOMPARE(w.form->ObjectTree->currentIndex().data().toString(), QStringLiteral("Orders"));
    QCOMPARE(w.form->PageControl->currentWidget(), w.form->ASATab);
    const QTextCursor cursor = w.form->DestView->textCursor();
    QCOMPARE(cursor.blockNumber(), 1);
    QCOMPARE(cursor.selectionStart() - cursor.block().position(), 2);
    QCOMPARE(cursor.selectedText(), QStringLiteral("ID"));
  }

  // ----- closing while busy, screenshot

  void ClosingDuringAnOperationWaitsForItsEnd() {
    Window w;
    w.Open(1);
    w.form->show();
    bool closedDuring = true;
    w.hooks.ChosenFile = QStringLiteral("/tmp/demo.sql");
    w.fake->cb.OnProgressStart = [&, inner = w.fake->cb.OnProgressStart](int max) {
      inner(max);
      w.form->close();
      closedDuring = !w.form->isVisible();
    };
    WhenModal<TAddScriptOptForm>([](TAddScriptOptForm* f) {
      f->ScriptButton->click();
      f->RunButton->click();
    });
    w.form->ProjectGenerateAction->trigger();
    QVERIFY(!closedDuring);
    QTRY_VERIFY(!w.form->isVisible());
  }
};

QObject* NewMainFormTests() { return new MainFormTests; }

}  // namespace ambrix::ui::test

#include "test_main_form.moc"
