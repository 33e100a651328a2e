exec sp_bindefault 'df_zero', 'Orders.Qty'
