RAISERROR 20000,'Error' 
RAISERROR 20000,'Bad ' 
raiserror 50001 'Old style'
