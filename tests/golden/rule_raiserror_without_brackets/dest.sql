raiserror 50001 'Old style'
raiserror 50000 '%1!', @msg
raiserror 99999 'Low number'
raiserror 50000 @fmt, @a
raiserror @n 'No number'
raiserror 50000
