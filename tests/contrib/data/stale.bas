Attribute VB_Name = "Orders"
Option Explicit

'========================================================================
'  Public Function GetTotal
'  Purpose:
'      
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

    '========================================================================
    '  Private Sub Reset
    '  Purpose:
    '      
    '  Parameters:
    '
    '
    '  Returns:
    '      
    '------------------------------------------------------------------------
    '  History:
    '      06-Dec-98            Ada                             Creation Date
    '========================================================================
    '
    '
    '
    Private Sub Reset(ByVal Hard As Boolean)
    End Sub
