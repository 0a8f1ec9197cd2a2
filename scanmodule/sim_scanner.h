// The simulated scanner: its settings as the data source last set them, the
// job of pages a scan starts, and the image each page becomes.
#ifndef QR_SIM_SCANNER_H
#define QR_SIM_SCANNER_H

#include <stdint.h>

#include "scanmodule.h"
#include "sim_config.h"

// One page as it will be delivered. Everything a transfer needs is fixed
// when the page is described, so that a late SetDefValue cannot change an
// image half way through.
struct SimImage {
    int32_t width;     // pixels
    int32_t length;    // lines
    int bitsPerPixel;  // 1, 4, 8 or 24
    TW_UINT16 pixelType;
    TW_UINT16 resolution;  // dpi scanned
    TW_UINT16 requested;   // dpi asked for, when above `resolution` (enlarged by the data source)
    bool openLength;       // announced with ImageLength -1
    int page;              // 0 for the first page of the job
    SimPattern pattern;
    uint32_t rowBytes;  // (width x bits + 7) / 8
};

struct SimJob {
    bool active;
    bool fromFeeder;  // the sheets come from the feeder, not the glass
    int pagesTotal;
    int pagesDone;
    bool described;  // `image` describes page `pagesDone`
    SimImage image;
    int32_t rowsSent;
    int blocksSent;
};

extern ScanSettings gSimSettings;
extern SimJob gSimJob;

// Reads the configuration again (start-up and every connection) and puts the
// settings back to the configured defaults.
void SimResetScanner();
// Reads the configuration again, keeping the settings and the job.
void SimReloadConfig();
// Loads the configuration once, for operations that may come first.
void SimEnsureConfigured();

// GetDefValue: the scanner's settings into offsets 0 to 21.
void SimReportSettings(ScanSettings *out);
// SetDefValue: takes what the data source asks for, keeping the current
// value of each field it cannot honour.
void SimAcceptSettings(const ScanSettings *in);
bool SimFeederLoaded();
// The scanner's own resolution, the largest area it scans (thousandths of
// an inch), and whether it is switched on.
void SimOpticalResolution(TW_UINT16 *dpi);
void SimGlassSize(TW_UINT32 *widthMils, TW_UINT32 *heightMils);
bool SimDeviceOnline();

// A scan starts a job: the configured number of pages from the feeder, or
// the one page on the glass of a scanner whose feeder is turned off.
void SimStartJob();
void SimAbandonJob();
int SimPagesLeft();
// The page that the next image operation delivers; null when none is left.
const SimImage *SimCurrentImage();
// Describes the next page afresh from the current settings.
const SimImage *SimDescribeNextImage();
// The current page has been delivered whole.
void SimPageDelivered();
// Counts one block of the current page; returns SM_MORE to go on, or the
// cancel or failure the configuration asks for at this block.
TW_INT16 SimCountBlock();

// Pure geometry, for the description and for tests.
void SimComputeImage(const SimConfig &config, const ScanSettings &settings, int page, SimImage *image);
void SimFillImageInfo(const SimImage &image, TW_IMAGEINFO *info);

#endif
