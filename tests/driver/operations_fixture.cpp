#include "operations_fixture.h"

#include "driver/repository_init.h"

#include <QDir>

#include <fstream>
#include <regex>
#include <iterator>
#include <sstream>

namespace ambrix::test {

namespace {

std::optional<std::string> OptionalText(const QVariant& value) {
  if (value.isNull()) return std::nullopt;
  return value.toString().toStdString();
}

}  // namespace

const std::string kTableScript =
    "CREATE TABLE [dbo].[T1] (\n"
    "\t[id] [int] NOT NULL\n"
    ") ON [PRIMARY]\n"
    "GO\n"
    "ALTER TABLE [dbo].[T1] ADD\n"
    "\tCONSTRAINT [PK1] PRIMARY KEY CLUSTERED ([id]) ON [PRIMARY],\n"
    "\tCONSTRAINT [CK1] CHECK ([id] > 0)\n"
    "GO\n"
    "CREATE VIEW V AS\n"
    "SELECT name FROM sysobjects\n"
    "GO\n";

void OperationsTest::SetUp() {
  ScratchTest::SetUp();
  if (Unavailable()) return;
  // Set up as `ambrix repository init` sets up a team's server.
  auto repository = Repository::Connect(location());
  InitRepository(*repository);
  module_ = std::make_unique<TConvertDataModule>(std::move(repository));
  module_->OnLog = [this](const std::string& line) { log_.push_back(line); };
  module_->OnProgressStart = [this](int max) { progress_.push_back(-max); };
  module_->OnProgress = [this](int step) { progress_.push_back(step); };
  module_->OnAlarmsChanged = [this](TConvertDataModule&) { ++alarmsChanged_; };
  dir_ = std::make_unique<QTemporaryDir>();
  ASSERT_TRUE(dir_->isValid());
  project_ = AddProject("Shop");
  m().SetProject(project_);
  log_.clear();
  progress_.clear();
  alarmsChanged_ = 0;
}

void OperationsTest::TearDown() {
  module_.reset();
  dir_.reset();
  ScratchTest::TearDown();
}

int OperationsTest::AddProject(const std::string& name) {
  const int id = repo().RunNamed("dsProject.Insert", {{"Name", QString::fromStdString(name)},
                                                      {"Dialect_id", 1},
                                                      {"DNS", QVariant()}})
                     .rows.at(0)
                     .at(0)
                     .toInt();
  m().dsProject.Open();
  return id;
}

std::string OperationsTest::Path(const std::string& name) const {
  return dir_->filePath(QString::fromStdString(name)).toStdString();
}

std::string OperationsTest::WriteFile(const std::string& name, const std::string& bytes) {
  const std::string path = Path(name);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  EXPECT_TRUE(out.good()) << path;
  return path;
}

std::string OperationsTest::ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<std::string> OperationsTest::FolderFiles() const {
  std::vector<std::string> names;
  for (const QString& name : QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden, QDir::Name))
    names.push_back(name.toStdString());
  return names;
}

TOptAddScript OperationsTest::AllTypes(const std::string& fileName, std::uint8_t mode) {
  TOptAddScript options;
  options.FileName = fileName;
  options.SelectAllTypes();
  options.Mode = mode;
  return options;
}

void OperationsTest::Import(const std::string& script, std::uint8_t mode) {
  m().AddScript(AllTypes(WriteFile("import.sql", script), mode));
}

std::vector<StoredObject> OperationsTest::Objects(int projectId) {
  const QueryResult result = repo().Run(
      QStringLiteral("select t.Name, o.Object, p.Object, o.SourceScript, o.DestScript, o.DropScript, o.Object_id\n"
                     "from MetaObject o\n"
                     "  join TypeObject t on t.TypeObject_id = o.TypeObject_id\n"
                     "  left join MetaObject p on p.Object_id = o.ParentObject_id\n"
                     "where o.Project_id = :p\n"
                     "order by o.Object_id"),
      {{"p", projectId == 0 ? m().ProjectId : projectId}});
  std::vector<StoredObject> objects;
  for (const auto& row : result.rows)
    objects.push_back({row[0].toString().toStdString(), row[1].toString().toStdString(),
                       row[2].toString().toStdString(), row[3].toString().toStdString(), OptionalText(row[4]),
                       OptionalText(row[5]), row[6].toLongLong()});
  return objects;
}

StoredObject OperationsTest::Object(const std::string& name) {
  for (const StoredObject& object : Objects())
    if (object.name == name) return object;
  ADD_FAILURE() << "no object " << name;
  return {};
}

int OperationsTest::ObjectId(const std::string& name) {
  const QueryResult result =
      repo().Run(QStringLiteral("select Object_id from MetaObject where Project_id = :p and Object = :o"),
                 {{"p", m().ProjectId}, {"o", QString::fromStdString(name)}});
  if (result.rows.empty()) {
    ADD_FAILURE() << "no object " << name;
    return 0;
  }
  return result.rows.at(0).at(0).toInt();
}

std::vector<StoredAlarm> OperationsTest::Alarms(int projectId) {
  const QueryResult result =
      repo().Run(QStringLiteral("select o.Object, a.VarName, ao.NumLine, ao.NumPos, ao.Word\n"
                                "from AlarmObject ao\n"
                                "  join MetaObject o on o.Object_id = ao.Object_id\n"
                                "  join Alarm a on a.Alarm_id = ao.Alarm_id\n"
                                "where o.Project_id = :p\n"
                                "order by ao.AlarmObject_id"),
                 {{"p", projectId == 0 ? m().ProjectId : projectId}});
  std::vector<StoredAlarm> alarms;
  for (const auto& row : result.rows)
    alarms.push_back({row[0].toString().toStdString(), row[1].toString().toStdString(), row[2].toInt(),
                      row[3].toInt(), row[4].toString().toStdString()});
  return alarms;
}

void OperationsTest::Compile(const std::string& name) {
  m().OpenObjectScript(ObjectId(name));
  m().CompileObject();
}

int OperationsTest::StartRun(const std::string& name, int workers, std::vector<std::string>& skipped) {
  const int project = AddProject(name);
  m().SetProject(project);
  m().Workers = workers;
  m().OnSkipped = [&skipped](const TSkippedFailure& f) {
    skipped.push_back(std::to_string(f.Line) + " " + f.TypeName + " " + f.ObjectName + ": " + f.Message);
  };
  return project;
}

std::string OperationsTest::WithoutDate(const std::string& text) {
  static const std::regex date("(> Дата генерации: )[0-9.: ]+");
  return std::regex_replace(text, date, "$1DATE");
}

}  // namespace ambrix::test
