Attribute VB_Name = "Orders"
Option Explicit

'========================================================================
'  Public Function GetTotal
'  Purpose:
'      Adds up the lines of one order
'  Parameters:
'      Long                 OrderID           
'      Optional Boolean     IncludeTax        
'
'
'  Returns:
'      Currency
'------------------------------------------------------------------------
'  History:
'      06-Dec-98            A. Developer                    Creation Date
'========================================================================
'
'
'
Public Function GetTotal(ByVal OrderNo As Long, _
    Optional IncludeTax As Boolean) As Currency
    GetTotal = 0
End Function
