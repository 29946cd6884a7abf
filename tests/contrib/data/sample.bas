Attribute VB_Name = "Orders"
Option Explicit

Public Function GetTotal(ByVal OrderID As Long, _
    Optional IncludeTax As Boolean) As Currency
    GetTotal = 0
End Function

    Private Sub Reset()
    End Sub
