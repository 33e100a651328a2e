CREATE TABLE jobs
(
   job_id     smallint   IDENTITY(1,1)
         PRIMARY KEY CLUSTERED,
   job_desc   varchar(50) DEFAULT 'New' NOT NULL,
   lvl        tinyint
         DEFAULT 10,
   emp_id     empid
         CONSTRAINT UQ_emp UNIQUE NONCLUSTERED,
   code       id,
   guid       uniqueidentifier NOT NULL ROWGUIDCOL CONSTRAINT DF_guid DEFAULT newid(),
   qty        int DEFAULT -1 NOT NULL,
   note       varchar(10) DEFAULT NULL
)
