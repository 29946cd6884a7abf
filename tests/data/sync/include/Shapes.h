//========================================================================
// Shapes: geometry helpers.
//========================================================================
#pragma once
#include <string>

class Shape {
public:
    //========================================================================
    // Public Function Scale
    // Purpose:
    //     Scales the shape
    // Parameters:
    //     float                factor            How much
    //
    //
    // Returns:
    //     double
    //------------------------------------------------------------------------
    // History:
    //     06-Dec-98            A. Developer                     Creation Date
    //========================================================================
    //
    //
    //
    double Scale(double factor,
                 int times) const;

    //========================================================================
    // Public Function Reset
    // Purpose:
    //     Back to the unit shape
    // Parameters:
    //
    //
    // Returns:
    //     int; the old size
    //------------------------------------------------------------------------
    // History:
    //     06-Dec-98            A. Developer                     Creation Date
    //========================================================================
    //
    //
    //
    void Reset();

    //========================================================================
    // Public Function Name
    // Purpose:
    //     
    // Parameters:
    //
    //
    // Returns:
    //     std::string; the display name
    //------------------------------------------------------------------------
    // History:
    //     06-Dec-98            A. Developer                     Creation Date
    //========================================================================
    //
    //
    //
    [[nodiscard]] std::string Name() const { return m_name; }

protected:
    //========================================================================
    // Protected Sub Draw
    // Purpose:
    //     Paints the shape
    // Parameters:
    //     const Canvas&        canvas            Where to draw
    //
    //
    // Returns:
    //     
    //------------------------------------------------------------------------
    // History:
    //     06-Dec-98            A. Developer                     Creation Date
    //========================================================================
    //
    //
    //
    virtual void Draw(const Canvas &canvas) = 0;
};
