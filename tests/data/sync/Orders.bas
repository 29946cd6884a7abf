Attribute VB_Name = "Orders"
Option Explicit

'========================================================================
'  Public Function GetTotal
'  Purpose:
'      Adds up the lines of one order
'  Parameters:
'      Long                 OrderID           Order to total
'      Optional Boolean     IncludeTax        Add sales tax
'
'
'  Returns:
'      Currency; the order total
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

'========================================================================
'  Public Sub PrintOrder
'  Purpose:
'      Sends one order to the printer
'  Parameters:
'      Long                 OrderID           Order to print
'      Long                 Copies            How many
'      String               Printer           Device name
'
'
'  Returns:
'      
'------------------------------------------------------------------------
'  History:
'      06-Dec-98            A. Developer                    Creation Date
'========================================================================
'
'
'
Public Sub PrintOrder(ByVal OrderID As Long, ByVal Copies As Integer)
End Sub

'========================================================================
'  Public Sub IsPaid
'  Purpose:
'      
'  Parameters:
'      Long                 OrderID           Order to look up
'
'
'  Returns:
'      
'------------------------------------------------------------------------
'  History:
'      06-Dec-98            A. Developer                    Creation Date
'========================================================================
'
'
'
Private Function IsPaid(OrderID As Long) As Boolean
End Function

Public Sub Archive(Optional ByVal Days As Long = 30)
End Sub

'========================================================================
'  Public Function Count
'  Purpose:
'      Counts the open orders
'  Parameters:
'
'
'  Returns:
'      Long
'------------------------------------------------------------------------
'  History:
'      06-Dec-98            A. Developer                    Creation Date
'      01-Jan-99            A. Developer                     Returns Long
'========================================================================
'
'
'

Attribute Count.VB_Description = "Counts"
Public Function count() As long
End Function
