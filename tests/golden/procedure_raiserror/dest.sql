create procedure dba.check_level @job_id smallint, @lvl tinyint as
if @lvl not between 10 and 250
begin
   raiserror 50000 'The level for job_id:%1! should be between %2! and %3!.', @job_id, 10, 250 /* with LOG, NOWAIT */
   return 1
end
print 'Level of %1! checked', 'job' -- progress
raiserror 50000 '%1!', @message
return 0
