Sub First()
End Sub
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
'      06-Dec-98            Ada                             Creation Date
'========================================================================
'
'
'
Public Function GetTotal(ByVal OrderID As Long, _
    Optional IncludeTax As Boolean) As Currency
    GetTotal = 0
End Function

    Private Sub Reset()
    End Sub
