raiserror 50000 'Error'
raiserror 50000 'Bad %1!', @x
raiserror 50000 'Bad value %1! for %2!', @v, @name
raiserror 50000 'Got %1! of %2! (%3!)', @a, @b, @c
raiserror 50000 '%1!', @msg
raiserror 50000 'Row %2! of %1! is bad', @t, Cast(@id as varchar)
raiserror 50000 '%2!: %1! rows', @n, @prefix
raiserror 50001
raiserror 99999, @a
print 'Progress %1!%%', @p
print 'Done' /* with NOWAIT */
raiserror 50000 @fmt, @a
raiserror 50000 'Mask %1!', @m
raiserror 50000 'The level for job_id:%1! should be between %2! and %3!.', @job_id, @min_lvl, @max_lvl
