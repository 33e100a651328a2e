#include "ui/driver_converter.h"

#include "driver/convert_data_module.h"
#include "driver/repository_location.h"
#include "text/error.h"

namespace ambrix::ui {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QVariant NullWhenEmpty(const QString& text) { return text.isEmpty() ? QVariant() : QVariant(text); }

/// The window's view of the driver's converter object.
class TDriverConverter : public IConverterPort {
 public:
  explicit TDriverConverter(std::unique_ptr<TConvertDataModule> module) : M(std::move(module)) {}

  // ----- project list (dsProject, with dsDialect for the dialect names)

  std::vector<ProjectRow> Projects() override {
    std::vector<ProjectRow> rows;
    UpdatableDataSet& ds = M->dsProject;
    if (!ds.IsOpen()) return rows;
    for (int r = 0; r < ds.RowCount(); ++r) {
      if (ds.Value(r, "Project_id").isNull()) continue;  // a row not yet posted
      rows.push_back({ds.Value(r, "Project_id").toInt(), ds.Value(r, "Name").toString(),
                      ds.Value(r, "Dialect_id").toInt(), ds.Value(r, "DNS").toString()});
    }
    return rows;
  }

  std::vector<DialectRow> Dialects() override {
    std::vector<DialectRow> rows;
    DataSet& ds = M->dsDialect;
    if (!ds.IsOpen()) return rows;
    for (int r = 0; r < ds.RowCount(); ++r)
      rows.push_back({ds.Value(r, "Dialect_id").toInt(), ds.Value(r, "Name").toString()});
    return rows;
  }

  int InsertProject(const ProjectRow& row) override {
    UpdatableDataSet& ds = M->dsProject;
    ds.Insert();
    PostOrCancel([&] {
      ds.SetValue("Name", row.Name);
      ds.SetValue("Dialect_id", row.Dialect_id);
      ds.SetValue("DNS", NullWhenEmpty(row.DNS));
    });
    return ds.Value("Project_id").toInt();
  }

  void UpdateProject(const ProjectRow& row) override {
    UpdatableDataSet& ds = M->dsProject;
    if (!ds.Locate("Project_id", row.Project_id)) throw Error("Проект не обнаружен");
    ds.Edit();
    PostOrCancel([&] {
      ds.SetValue("Name", row.Name);
      ds.SetValue("DNS", NullWhenEmpty(row.DNS));
    });
  }

  void DeleteProject(int projectId) override {
    UpdatableDataSet& ds = M->dsProject;
    if (!ds.Locate("Project_id", projectId)) return;
    ds.Delete();
  }

  // ----- callbacks and the open project

  void SetCallbacks(ConverterCallbacks callbacks) override {
    Callbacks = std::move(callbacks);
    M->OnLog = [this](const std::string& msg) {
      if (Callbacks.OnLog) Callbacks.OnLog(Q(msg));
    };
    M->OnProgressStart = [this](int max) {
      if (Callbacks.OnProgressStart) Callbacks.OnProgressStart(max);
    };
    M->OnProgress = [this](int position) {
      if (Callbacks.OnProgress) Callbacks.OnProgress(position);
    };
    M->OnAlarmsChanged = [this](TConvertDataModule&) {
      if (Callbacks.OnAlarmsChanged) Callbacks.OnAlarmsChanged();
    };
  }

  int ProjectId() const override { return M->ProjectId; }
  QString ProjectName() const override { return Q(M->ProjectName); }
  QString ProjectDNS() const override { return Q(M->ProjectDNS); }
  void SetProject(int projectId) override { M->SetProject(projectId); }

  // ----- views

  bool TreeOpen() const override { return M->dsTreeObject.IsOpen(); }

  std::vector<TreeRow> TreeRows() override {
    std::vector<TreeRow> rows;
    DataSet& ds = M->dsTreeObject;
    if (!ds.IsOpen()) return rows;
    rows.reserve(size_t(ds.RowCount()));
    for (int r = 0; r < ds.RowCount(); ++r)
      rows.push_back({ds.Value(r, "Level").toInt(), ds.Value(r, "ID").toString().trimmed(),
                      ds.Value(r, "ParentID").toString().trimmed(), ds.Value(r, "Object_id").toInt(),
                      ds.Value(r, "Object").toString(), ds.Value(r, "TypeObject").toString(),
                      ds.Value(r, "ParentObject_id").toInt(), ds.Value(r, "ParentObject").toString()});
    return rows;
  }

  std::vector<AlarmRow> AlarmRows() override {
    std::vector<AlarmRow> rows;
    DataSet& ds = M->dsAlarmObject;
    if (!ds.IsOpen()) return rows;
    rows.reserve(size_t(ds.RowCount()));
    for (int r = 0; r < ds.RowCount(); ++r)
      rows.push_back({ds.Value(r, "ID").toInt(), ds.Value(r, "TypeObjectName").toString(),
                      ds.Value(r, "Object_id").toInt(), ds.Value(r, "ObjectName").toString(),
                      ds.Value(r, "AlarmName").toString(), ds.Value(r, "Word").toString(),
                      ds.Value(r, "NumLine").toInt(), ds.Value(r, "NumPos").toInt()});
    return rows;
  }

  void OpenObjectScript(int objectId) override { M->OpenObjectScript(objectId); }
  void CloseObjectScript() override { M->CloseObjectScript(); }
  bool ObjectScriptOpen() const override {
    return M->dsObjectScript.IsOpen() && M->dsObjectScript.CurrentRow() >= 0;
  }
  QString SourceScript() const override {
    return ObjectScriptOpen() ? M->dsObjectScript.Value("SourceScript").toString() : QString();
  }
  std::optional<QString> DestScript() const override {
    if (!ObjectScriptOpen() || M->dsObjectScript.IsNull("DestScript")) return std::nullopt;
    return M->dsObjectScript.Value("DestScript").toString();
  }

  // ----- operations

  void CompileObject() override { M->CompileObject(); }

  std::optional<int> LocateTypeObject(const QString& typeName) override {
    if (!M->dsTypeObject.IsOpen() || !M->LocateTypeObject(typeName.toStdString())) return std::nullopt;
    return int(M->dsTypeObject.Int("TypeObject_id"));
  }

  void ClearCompilation(int typeObjectId) override { M->ClearCompilation(typeObjectId); }

  void DeleteObject(int objectId) override {
    // The converter drops the current tree row in memory: make it this object's.
    M->dsTreeObject.Locate("Object_id", objectId);
    M->DeleteObject(objectId);
  }

  void AddScript(const TOptAddScript& options) override { M->AddScript(options); }
  void GenerateScript(const TOptAddScript& options) override { M->GenerateScript(options); }

  QStringList ReservedWords() override {
    QStringList words;
    const TTermList& terms = M->Core.Terms;
    for (int i = 0; i < terms.Count(); ++i) {
      const TTerm* term = terms.Items(i);
      if (term->Kind == tkDefined && term->IsWord && term->TypeName != "#COMMENT#")
        words << Q(term->StartText());
    }
    return words;
  }

 private:
  template <class Edit>
  void PostOrCancel(Edit&& edit) {
    try {
      edit();
      M->dsProject.Post();
    } catch (...) {
      M->dsProject.Cancel();
      throw;
    }
  }

  std::unique_ptr<TConvertDataModule> M;
  ConverterCallbacks Callbacks;
};

}  // namespace

std::unique_ptr<IConverterPort> CreateDriverConverter(const QString& repository) {
  const RepositoryLocation location = repository.trimmed().isEmpty()
                                          ? DefaultRepositoryLocation()
                                          : ParseRepositoryLocation(repository.trimmed().toStdString());
  return std::make_unique<TDriverConverter>(std::make_unique<TConvertDataModule>(location));
}

std::unique_ptr<IConverterPort> WrapConverter(std::unique_ptr<TConvertDataModule> module) {
  return std::make_unique<TDriverConverter>(std::move(module));
}

}  // namespace ambrix::ui
