#include <string>

namespace shop {

//========================================================================
// Public Function Total
// Purpose:
//     Adds up one order
// Parameters:
//     const Order&         order             
//     bool                 tax               
//
//
// Returns:
//     int
//------------------------------------------------------------------------
// History:
//     06-Dec-98            A. Developer                     Creation Date
//========================================================================
//
//
//
int Total(const Order& order,
          bool withTax);

}  // namespace shop
