/* wm-ping: times how long a window keeps a window manager waiting.
 *
 * Sends the window the EWMH _NET_WM_PING client message at a fixed interval
 * and times each reply, the way a window manager decides that a client hangs.
 * A toolkit answers the ping from its GUI thread, so a wait here is a freeze
 * the user sees. Pings still unanswered when it stops count as waits lasting
 * until then.
 *
 * Build: cc -O2 -o wm-ping wm_ping.c -lxcb -lm (scripts/responsiveness does).
 */
#define _GNU_SOURCE
#include <errno.h>
#include <math.h>
#include <poll.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <xcb/xcb.h>

typedef struct {
    uint32_t stamp; /* data[1]: ms since start, kept unique so replies match */
    double sentMs;
    double waitMs;
    int answered;
} Ping;

typedef struct {
    const char* name;
    long pid;
    uint32_t window;
    double durationS;
    double intervalMs;
    double waitWindowS;
    double overMs;
    double drainMs;
    const char* csvPath;
    int keyValue;
    int printWindow;
    int closeWindow;
} Options;

static volatile sig_atomic_t stopRequested = 0;

static void OnStop(int sig) {
    (void)sig;
    stopRequested = 1;
}

static double NowMs(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (double)ts.tv_sec * 1000.0 + (double)ts.tv_nsec / 1e6;
}

static void Usage(FILE* out) {
    fprintf(out,
            "Usage: wm-ping [OPTION]...\n"
            "Pings a window with _NET_WM_PING and prints how long its replies took.\n"
            "It stops after --duration, on SIGINT or SIGTERM, or when the window goes.\n\n"
            "  --name TEXT        window whose WM_NAME or _NET_WM_NAME contains TEXT (Tessoran)\n"
            "  --pid PID          window whose _NET_WM_PID is PID (instead of --name)\n"
            "  --window ID        this window (instead of --name and --pid)\n"
            "  --duration S       ping for S seconds; 0: until stopped (0)\n"
            "  --interval MS      time between pings (10)\n"
            "  --wait-window S    how long to look for the window (30)\n"
            "  --over MS          count waits longer than MS (50)\n"
            "  --drain MS         listen this long for late replies after the last ping (20)\n"
            "  --csv FILE         write every ping: seq;sent_ms;wait_ms;answered\n"
            "  --kv               print one line of key=value pairs instead of the report\n"
            "  --print-window     print the window's id and stop, without pinging\n"
            "  --close            ask the window to close (WM_DELETE_WINDOW) each second until it\n"
            "                     goes or --duration is up (5 s); exits 1 if it stays\n");
}

static int ParseOptions(int argc, char** argv, Options* o) {
    *o = (Options){
        .name = "Tessoran", .intervalMs = 10, .waitWindowS = 30, .overMs = 50, .drainMs = 20};
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : NULL;
        if (!strcmp(a, "--help") || !strcmp(a, "-h")) {
            Usage(stdout);
            exit(0);
        }
        if (!strcmp(a, "--kv") || !strcmp(a, "--print-window") || !strcmp(a, "--close")) {
            *(a[2] == 'k' ? &o->keyValue : a[2] == 'p' ? &o->printWindow : &o->closeWindow) = 1;
            continue;
        }
        if (!v) {
            fprintf(stderr, "wm-ping: %s needs a value\n", a);
            return 0;
        }
        ++i;
        if (!strcmp(a, "--name"))
            o->name = v;
        else if (!strcmp(a, "--pid"))
            o->pid = strtol(v, NULL, 10);
        else if (!strcmp(a, "--window"))
            o->window = (uint32_t)strtoul(v, NULL, 0);
        else if (!strcmp(a, "--duration"))
            o->durationS = atof(v);
        else if (!strcmp(a, "--interval"))
            o->intervalMs = atof(v);
        else if (!strcmp(a, "--wait-window"))
            o->waitWindowS = atof(v);
        else if (!strcmp(a, "--over"))
            o->overMs = atof(v);
        else if (!strcmp(a, "--drain"))
            o->drainMs = atof(v);
        else if (!strcmp(a, "--csv"))
            o->csvPath = v;
        else {
            fprintf(stderr, "wm-ping: unknown option %s\n", a);
            Usage(stderr);
            return 0;
        }
    }
    if (o->intervalMs <= 0) {
        fprintf(stderr, "wm-ping: --interval must be positive\n");
        return 0;
    }
    return 1;
}

static xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, (uint16_t)strlen(name), name), NULL);
    xcb_atom_t atom = r ? r->atom : XCB_ATOM_NONE;
    free(r);
    return atom;
}

typedef struct {
    xcb_atom_t protocols, ping, netName, utf8, netPid;
} Atoms;

static xcb_get_property_reply_t* Property(xcb_connection_t* c, xcb_window_t w, xcb_atom_t prop,
                                          xcb_atom_t type) {
    return xcb_get_property_reply(c, xcb_get_property(c, 0, w, prop, type, 0, 1024), NULL);
}

static int NameContains(xcb_connection_t* c, xcb_window_t w, xcb_atom_t prop, xcb_atom_t type,
                        const char* text) {
    xcb_get_property_reply_t* r = Property(c, w, prop, type);
    int found = 0;
    if (r && r->format == 8) {
        const int len = xcb_get_property_value_length(r);
        found = memmem(xcb_get_property_value(r), (size_t)len, text, strlen(text)) != NULL;
    }
    free(r);
    return found;
}

static long WindowPid(xcb_connection_t* c, xcb_window_t w, const Atoms* at) {
    xcb_get_property_reply_t* r = Property(c, w, at->netPid, XCB_ATOM_CARDINAL);
    long pid = -1;
    if (r && r->format == 32 && xcb_get_property_value_length(r) >= 4)
        pid = *(uint32_t*)xcb_get_property_value(r);
    free(r);
    return pid;
}

static int TakesPing(xcb_connection_t* c, xcb_window_t w, const Atoms* at) {
    xcb_get_property_reply_t* r = Property(c, w, at->protocols, XCB_ATOM_ATOM);
    int found = 0;
    if (r && r->format == 32) {
        const xcb_atom_t* list = xcb_get_property_value(r);
        const int n = xcb_get_property_value_length(r) / 4;
        for (int i = 0; i < n; ++i)
            found |= list[i] == at->ping;
    }
    free(r);
    return found;
}

static int Matches(xcb_connection_t* c, xcb_window_t w, const Options* o, const Atoms* at) {
    if (o->window)
        return w == o->window;
    if (o->pid > 0)
        return WindowPid(c, w, at) == o->pid;
    return NameContains(c, w, at->netName, at->utf8, o->name) ||
           NameContains(c, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, o->name);
}

/* The largest mapped window that matches and takes pings. A toolkit also makes
 * small unmapped helper windows, and a window manager may have reparented the
 * client one level down. */
static void Search(xcb_connection_t* c, xcb_window_t parent, int depth, const Options* o,
                   const Atoms* at, xcb_window_t* best, uint32_t* bestArea) {
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, parent), NULL);
    if (!tree)
        return;
    const xcb_window_t* kids = xcb_query_tree_children(tree);
    const int n = xcb_query_tree_children_length(tree);
    for (int i = 0; i < n; ++i) {
        const xcb_window_t w = kids[i];
        xcb_get_window_attributes_reply_t* attr =
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), NULL);
        const int viewable = attr && attr->map_state == XCB_MAP_STATE_VIEWABLE;
        free(attr);
        if (!viewable)
            continue;
        if (Matches(c, w, o, at) && TakesPing(c, w, at)) {
            xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, w), NULL);
            const uint32_t area = g ? (uint32_t)g->width * g->height : 0;
            free(g);
            if (area > *bestArea || !*best) {
                *best = w;
                *bestArea = area;
            }
        } else if (depth < 1) {
            Search(c, w, depth + 1, o, at, best, bestArea);
        }
    }
    free(tree);
}

static int CompareDouble(const void* a, const void* b) {
    const double x = *(const double*)a, y = *(const double*)b;
    return (x > y) - (x < y);
}

/* Nearest rank: the smallest wait that at least q of the pings did not exceed. */
static double Percentile(const double* sorted, size_t n, double q) {
    if (n == 0)
        return 0;
    size_t rank = (size_t)ceil(q * (double)n);
    if (rank < 1)
        rank = 1;
    return sorted[rank - 1];
}

static Ping* FindPing(Ping* pings, size_t n, uint32_t stamp) {
    size_t lo = 0, hi = n;
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        if (pings[mid].stamp < stamp)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo < n && pings[lo].stamp == stamp ? &pings[lo] : NULL;
}

/* What a window manager's close button does: the program may still save. The
 * request is repeated each second, as a user would click again, until the
 * window goes or the time is up. Returns 0 when it went. */
static int CloseWindow(xcb_connection_t* c, xcb_window_t win, const Atoms* at,
                       xcb_atom_t deleteWindow, double seconds) {
    const double until = NowMs() + seconds * 1000.0;
    double nextSend = 0;
    const int fd = xcb_get_file_descriptor(c);
    while (!stopRequested && NowMs() < until) {
        if (NowMs() >= nextSend) {
            xcb_client_message_event_t ev = {0};
            ev.response_type = XCB_CLIENT_MESSAGE;
            ev.format = 32;
            ev.window = win;
            ev.type = at->protocols;
            ev.data.data32[0] = deleteWindow;
            ev.data.data32[1] = XCB_CURRENT_TIME;
            xcb_send_event(c, 0, win, XCB_EVENT_MASK_NO_EVENT, (const char*)&ev);
            /* A round trip, so the server has surely taken it: one sent just
             * before hanging up was now and then lost. */
            free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), NULL));
            nextSend = NowMs() + 1000;
        }
        struct pollfd pfd = {fd, POLLIN, 0};
        poll(&pfd, 1, 50);
        xcb_generic_event_t* e;
        while ((e = xcb_poll_for_event(c))) {
            const uint8_t type = e->response_type & 0x7f;
            const int gone =
                (type == XCB_DESTROY_NOTIFY &&
                 ((const xcb_destroy_notify_event_t*)e)->window == win) ||
                (type == XCB_UNMAP_NOTIFY && ((const xcb_unmap_notify_event_t*)e)->window == win);
            free(e);
            if (gone) {
                xcb_disconnect(c);
                return 0;
            }
        }
        if (xcb_connection_has_error(c))
            return 1;
    }
    fprintf(stderr, "wm-ping: the window is still there after %.0f s\n", seconds);
    xcb_disconnect(c);
    return 1;
}

int main(int argc, char** argv) {
    Options o;
    if (!ParseOptions(argc, argv, &o))
        return 2;

    struct sigaction sa = {0};
    sa.sa_handler = OnStop; /* no SA_RESTART: the wait must wake up */
    sigaction(SIGINT, &sa, NULL);
    sigaction(SIGTERM, &sa, NULL);

    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(NULL, &screenNumber);
    if (xcb_connection_has_error(c)) {
        fprintf(stderr, "wm-ping: cannot open the display\n");
        return 2;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&it);
    const xcb_window_t root = it.data->root;
    const Atoms at = {Atom(c, "WM_PROTOCOLS"), Atom(c, "_NET_WM_PING"), Atom(c, "_NET_WM_NAME"),
                      Atom(c, "UTF8_STRING"), Atom(c, "_NET_WM_PID")};
    const xcb_atom_t deleteWindow = Atom(c, "WM_DELETE_WINDOW");

    /* The client sends the reply to the root for the window manager, who
     * selects SubstructureRedirect there. We must not select that (it would
     * make us the window manager), so we take the other half of the mask the
     * client names: SubstructureNotify as the EWMH asks, and StructureNotify,
     * which Qt's xcb plugin puts in its mask instead. SubstructureNotify also
     * tells us when the window goes. */
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);

    const double lookStart = NowMs();
    xcb_window_t win = 0;
    while (!stopRequested) {
        uint32_t area = 0;
        Search(c, root, 0, &o, &at, &win, &area);
        if (win || NowMs() - lookStart > o.waitWindowS * 1000.0)
            break;
        const struct timespec pause = {0, 5 * 1000 * 1000};
        nanosleep(&pause, NULL);
    }
    if (!win) {
        fprintf(stderr, "wm-ping: no window found\n");
        return 1;
    }
    if (o.printWindow) {
        printf("0x%x\n", win);
        xcb_disconnect(c);
        return 0;
    }
    if (o.closeWindow)
        return CloseWindow(c, win, &at, deleteWindow, o.durationS > 0 ? o.durationS : 5);
    const double lookedMs = NowMs() - lookStart;
    fprintf(stderr, "wm-ping: pinging window 0x%x (found after %.0f ms)\n", win, lookedMs);

    size_t count = 0, capacity = 1024;
    Ping* pings = malloc(capacity * sizeof *pings);
    const double start = NowMs();
    const double stopAt = o.durationS > 0 ? start + o.durationS * 1000.0 : INFINITY;
    double nextSend = start;
    double sendingEnded = INFINITY;
    uint32_t lastStamp = 0;
    int windowGone = 0;
    const int fd = xcb_get_file_descriptor(c);

    for (;;) {
        double now = NowMs();
        if (sendingEnded == INFINITY && (stopRequested || windowGone || now >= stopAt))
            sendingEnded = now;
        if (sendingEnded != INFINITY && now >= sendingEnded + o.drainMs)
            break;
        if (sendingEnded == INFINITY && now >= nextSend) {
            uint32_t stamp = (uint32_t)(now - start) + 1;
            if (stamp <= lastStamp)
                stamp = lastStamp + 1;
            lastStamp = stamp;
            xcb_client_message_event_t ev = {0};
            ev.response_type = XCB_CLIENT_MESSAGE;
            ev.format = 32;
            ev.window = win;
            ev.type = at.protocols;
            ev.data.data32[0] = at.ping;
            ev.data.data32[1] = stamp;
            ev.data.data32[2] = win;
            xcb_send_event(c, 0, win, XCB_EVENT_MASK_NO_EVENT, (const char*)&ev);
            xcb_flush(c);
            if (count == capacity)
                pings = realloc(pings, (capacity *= 2) * sizeof *pings);
            pings[count++] = (Ping){stamp, NowMs() - start, 0, 0};
            nextSend += o.intervalMs;
            /* After a stall of our own, go on from now rather than in a burst. */
            if (nextSend < now)
                nextSend = now + o.intervalMs;
        }

        double until = sendingEnded == INFINITY ? fmin(nextSend, stopAt) : sendingEnded + o.drainMs;
        double waitMs = until - NowMs();
        if (waitMs < 0)
            waitMs = 0;
        struct timespec timeout = {(time_t)(waitMs / 1000), (long)(fmod(waitMs, 1000) * 1e6)};
        struct pollfd pfd = {fd, POLLIN, 0};
        if (ppoll(&pfd, 1, &timeout, NULL) < 0 && errno != EINTR) {
            perror("wm-ping: ppoll");
            break;
        }
        xcb_generic_event_t* e;
        while ((e = xcb_poll_for_event(c))) {
            const double gotMs = NowMs() - start;
            const uint8_t type = e->response_type & 0x7f;
            if (type == XCB_CLIENT_MESSAGE) {
                const xcb_client_message_event_t* m = (const xcb_client_message_event_t*)e;
                if (m->type == at.protocols && m->data.data32[0] == at.ping &&
                    m->data.data32[2] == win) {
                    Ping* p = FindPing(pings, count, m->data.data32[1]);
                    if (p && !p->answered) {
                        p->answered = 1;
                        p->waitMs = gotMs - p->sentMs;
                    }
                }
            } else if (type == XCB_DESTROY_NOTIFY) {
                if (((const xcb_destroy_notify_event_t*)e)->window == win)
                    windowGone = 1;
            } else if (type == XCB_UNMAP_NOTIFY) {
                if (((const xcb_unmap_notify_event_t*)e)->window == win)
                    windowGone = 1;
            }
            free(e);
        }
        if (xcb_connection_has_error(c)) {
            fprintf(stderr, "wm-ping: lost the display\n");
            if (sendingEnded == INFINITY)
                sendingEnded = NowMs();
            break;
        }
    }
    const double endMs = NowMs() - start;

    size_t replies = 0, over = 0, unanswered = 0;
    double* waits = malloc((count ? count : 1) * sizeof *waits);
    for (size_t i = 0; i < count; ++i) {
        if (pings[i].answered) {
            ++replies;
        } else {
            pings[i].waitMs = endMs - pings[i].sentMs;
            ++unanswered;
        }
        waits[i] = pings[i].waitMs;
        over += pings[i].waitMs > o.overMs;
    }
    qsort(waits, count, sizeof *waits, CompareDouble);
    const double maxMs = count ? waits[count - 1] : 0;
    const double p99 = Percentile(waits, count, 0.99);
    const double p50 = Percentile(waits, count, 0.50);

    if (o.csvPath) {
        FILE* csv = fopen(o.csvPath, "w");
        if (csv) {
            fprintf(csv, "seq;sent_ms;wait_ms;answered\n");
            for (size_t i = 0; i < count; ++i)
                fprintf(csv, "%zu;%.3f;%.3f;%d\n", i, pings[i].sentMs, pings[i].waitMs,
                        pings[i].answered);
            fclose(csv);
        } else {
            perror("wm-ping: --csv");
        }
    }

    if (o.keyValue) {
        printf("pings=%zu replies=%zu unanswered=%zu max_ms=%.1f p99_ms=%.1f p50_ms=%.1f "
               "over=%zu over_ms=%.0f duration_ms=%.0f window_gone=%d looked_ms=%.0f\n",
               count, replies, unanswered, maxMs, p99, p50, over, o.overMs, endMs, windowGone,
               lookedMs);
    } else {
        printf("pinged window 0x%x every %.0f ms for %.2f s%s\n", win, o.intervalMs, endMs / 1000.0,
               windowGone ? " (until it went away)" : "");
        printf("pings      %zu\nreplies    %zu\n", count, replies);
        printf("max wait   %.1f ms%s\n", maxMs, unanswered ? " (unanswered pings included)" : "");
        printf("p99        %.1f ms\np50        %.1f ms\n", p99, p50);
        printf("waits > %.0f ms: %zu\n", o.overMs, over);
        if (unanswered)
            printf("no reply   %zu (counted as waits lasting until the end)\n", unanswered);
        /* One line per freeze: a run of pings that each waited too long. */
        for (size_t i = 0; i < count;) {
            if (pings[i].waitMs <= o.overMs) {
                ++i;
                continue;
            }
            size_t j = i;
            double longest = 0;
            int open = 0;
            while (j < count && pings[j].waitMs > o.overMs) {
                longest = fmax(longest, pings[j].waitMs);
                open |= !pings[j].answered;
                ++j;
            }
            printf("  at %7.3f s: %zu ping(s), longest wait %.1f ms%s\n", pings[i].sentMs / 1000.0,
                   j - i, longest, open ? ", no reply by the end" : "");
            i = j;
        }
    }
    free(waits);
    free(pings);
    xcb_disconnect(c);
    return 0;
}
