create table jobs
(
   job_id     smallint not null   default autoincrement
         primary key clustered,
   job_desc   varchar(50) not null default 'New',
   lvl        tinyint null
         default 10,
   emp_id     empid
         constraint UQ_emp unique,
   code       id,
   guid       uniqueidentifier not null default Newid(),
   qty        int not null default -1,
   note       varchar(10) null default null
)
