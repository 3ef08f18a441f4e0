/* The resistance module's entry points, as a host loads them (dlopen, dlsym).
 * Every call runs on the host's user-interface thread. */
#ifndef KANGLI_H
#define KANGLI_H

#if defined(_WIN32)
#define KANGLI_EXPORT __declspec(dllexport)
#else
#define KANGLI_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
class CSlopeData;
extern "C" {
#else
typedef struct CSlopeData CSlopeData;
#endif

/* Slope mode: calculates the pile that slope->strCurKHPile names, if the current
 * slip surface cuts it; writes the data file, the diagrams, the calculation books
 * and the .res file under the work path; hands the resistance per point back
 * into slope->KHPiles[pileIndex]. 1 when a calculation ran (whether it
 * succeeded or not), 0 when nothing was calculated. */
KANGLI_EXPORT int JiSuan_KangLi_Slp(CSlopeData* slope, int pileIndex);

/* Does nothing; 1. */
KANGLI_EXPORT int JiSuan_KangLi(void);

/* Box mode: the calculation frame on a new record, modal; the user enters a
 * pile by hand, calculates, views and saves. G_strWorkPath is as before after
 * the call. 1. (JiSuan_KangLi_Slp(slope, -1) runs box mode too, and gives 0.) */
KANGLI_EXPORT int JiSuan_KangLi_Box(void);

/* Dialog slope mode: the calculation frame on slope->CurKHPile, modal; the
 * per-point results go back into the working pile, and after a calculation
 * into the pile of slope->KHPiles that strCurKHPile names, whose slip-surface
 * resistance the host then recalculates into slope->fCurKangLi. The frame's
 * result (1 OK, 0 cancel), or 0 when the pile could not be converted. */
KANGLI_EXPORT int JiSuan_KangLi_Slp_New(CSlopeData* slope);

#ifdef __cplusplus
}
#endif

#endif
