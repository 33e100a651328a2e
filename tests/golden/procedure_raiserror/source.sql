CREATE PROCEDURE dbo.check_level @job_id smallint, @lvl tinyint AS
IF @lvl NOT BETWEEN 10 AND 250
BEGIN
   RAISERROR (N'The level for job_id:%d should be between %d and %d.',
      16, 1, @job_id, 10, 250) WITH LOG, NOWAIT
   RETURN 1
END
RAISERROR ('Level of %s checked', 0, 1, 'job') -- progress
RAISERROR 50000 @message
RETURN 0
