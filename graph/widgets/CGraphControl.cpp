#include "graph/widgets/CGraphControl.h"

#include "graph/GraphMath.h"

QRegion RoundedControlRegion(int width, int height)
{
    QRegion region(0, 0, width, height);
    for (const GraphMath::PixelRect& corner : GraphMath::RoundedCorners(width, height))
        region -= QRegion(corner.x, corner.y, corner.width, corner.height);
    return region;
}
