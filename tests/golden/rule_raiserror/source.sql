RAISERROR ('Error', 16, 1)
RAISERROR ('Bad ' + @x, 16, 1)
RAISERROR 50001 'Old style'
