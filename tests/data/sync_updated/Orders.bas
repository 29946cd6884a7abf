Attribute VB_Name = "Orders"
Option Explicit

'========================================================================
'  Public Function GetTotal
'  Purpose:
'      Adds up the lines of one order
'  Parameters:
'      Long                 OrderNo           Order to total
'      Optional Boolean     IncludeTax        Add sales tax
'
'
'  Returns:
'      Currency; the order total
'------------------------------------------------------------------------
'  History:
'      06-Dec-98            A. Developer                    Creation Date
'      07-Dec-26            B. Quill                              Updated
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
'      Integer              Copies            How many
'
'
'  Returns:
'      
'------------------------------------------------------------------------
'  History:
'      06-Dec-98            A. Developer                    Creation Date
'      07-Dec-26            B. Quill                              Updated
'========================================================================
'
'
'
Public Sub PrintOrder(ByVal OrderID As Long, ByVal Copies As Integer)
End Sub

'========================================================================
'  Private Function IsPaid
'  Purpose:
'      
'  Parameters:
'      Long                 OrderID           Order to look up
'
'
'  Returns:
'      Boolean
'------------------------------------------------------------------------
'  History:
'      06-Dec-98            A. Developer                    Creation Date
'      07-Dec-26            B. Quill                              Updated
'========================================================================
'
'
'
Private Function IsPaid(OrderID As Long) As Boolean
End Function

'========================================================================
'  Public Sub Archive
'  Purpose:
'      
'  Parameters:
'      Optional Long        Days              
'
'
'  Returns:
'      
'------------------------------------------------------------------------
'  History:
'      07-Dec-26            B. Quill                        Creation Date
'========================================================================
'
'
'
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
