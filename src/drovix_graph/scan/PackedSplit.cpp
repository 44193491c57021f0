// The plane set-up and the closing steps of splitting a loaded page scan.
#include "drovix_graph/scan/PackedSplit.h"

#include "driver/console/Console.h"

namespace drovix {

void NewWorkPlanes(TDrovixMangaScan& scan) {
  scan.GreenMarkup = scan.NewPlane();
  scan.RedMarkup = scan.NewPlane();
  scan.Transparency = scan.NewPlane();
  scan.FillMask = scan.NewPlane();
  scan.Contours = scan.NewPlane();
}

void FinishSplit(TDrovixMangaScan& scan) {
  scan.BlackLevel = 0;
  scan.WhiteLevel = 255;
  scan.LoadExternalMarkup();
  scan.Scale = 1.0f;
  scan.TargetWidth = scan.Width();
  scan.TargetHeight = scan.Height();
  ConsoleWriteRaw("..");
}

}  // namespace drovix
