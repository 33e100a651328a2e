-- Repository of the converter on SQLite.
--
-- String widths are enforced with checks (SQLite ignores declared widths), so
-- a value too long fails here as it fails on the other servers. Object and
-- type names compare and sort ignoring case (NOCASE), as names do in the
-- scripts the objects come from. Deleting a project deletes its objects;
-- deleting an object deletes its child objects and the alarms of both.

create table Dialect (
  Dialect_id smallint not null primary key,
  Name varchar(50) not null check ( length( Name ) <= 50 )
);

create table TypeObject (
  TypeObject_id smallint not null primary key,
  Name varchar(30) not null collate nocase unique check ( length( Name ) <= 30 ),
  ParentTypeObject_id smallint,
  Num smallint not null default 0
);

create table TypeObjectDialect (
  TypeObject_id smallint not null references TypeObject( TypeObject_id ) on delete cascade,
  Dialect_id smallint not null references Dialect( Dialect_id ) on delete cascade,
  primary key ( TypeObject_id, Dialect_id )
);

create table ReservedWord (
  ReservedWord_id integer primary key,
  Dialect_id smallint not null references Dialect( Dialect_id ) on delete cascade,
  StartWord varchar(100) not null check ( length( StartWord ) <= 100 ),
  TypeReservedWord varchar(15) not null check ( length( TypeReservedWord ) <= 15 ),
  EndWord varchar(100) check ( length( EndWord ) <= 100 ),
  IsWord smallint not null default 0 check ( IsWord in ( 0, 1 ) ),
  IsMain smallint not null default 0 check ( IsMain in ( 0, 1 ) )
);
create index ReservedWord_Dialect on ReservedWord( Dialect_id, ReservedWord_id );

create table Alarm (
  Alarm_id smallint not null primary key,
  VarName varchar(30) not null check ( length( VarName ) <= 30 ),
  Name varchar(250) check ( length( Name ) <= 250 ),
  Dialect_id smallint not null references Dialect( Dialect_id ) on delete cascade
);
create index Alarm_Dialect on Alarm( Dialect_id );

create table Project (
  Project_id integer primary key autoincrement,
  Name varchar(50) not null check ( length( Name ) <= 50 ),
  Dialect_id smallint not null references Dialect( Dialect_id ),
  DNS varchar(50) check ( length( DNS ) <= 50 )
);

create table MetaObject (
  Object_id integer primary key autoincrement,
  Object varchar(128) not null collate nocase check ( length( Object ) <= 128 ),
  ParentObject_id integer references MetaObject( Object_id ) on delete cascade,
  TypeObject_id smallint not null references TypeObject( TypeObject_id ),
  Project_id integer not null references Project( Project_id ) on delete cascade,
  SourceScript text not null,
  DestScript text,
  DropScript text
);
-- An object is identified by project, type, name and parent (an index name
-- is its table's own); the index also serves the look-up by project and name
-- alone.
create unique index MetaObject_Name on MetaObject( Project_id, Object, TypeObject_id, coalesce( ParentObject_id, 0 ) );
create index MetaObject_Parent on MetaObject( ParentObject_id );
create index MetaObject_Type on MetaObject( TypeObject_id );
-- The objects still to compile, which a generation looks for among all of a
-- project's: few once a script has been compiled.
create index MetaObject_Pending on MetaObject( Project_id, TypeObject_id ) where DestScript is null;

create table AlarmObject (
  AlarmObject_id integer primary key,
  Object_id integer not null references MetaObject( Object_id ) on delete cascade,
  Alarm_id smallint not null references Alarm( Alarm_id ),
  NumLine integer not null,
  NumPos integer not null,
  Word varchar(128) check ( length( Word ) <= 128 )
);
create index AlarmObject_Object on AlarmObject( Object_id );
create index AlarmObject_Alarm on AlarmObject( Alarm_id );

-- The version of this schema, one row: the program writes it when it installs
-- or upgrades the repository, and reads it to know what an upgrade starts from.
create table RepositoryVersion (
  Version integer not null
);
