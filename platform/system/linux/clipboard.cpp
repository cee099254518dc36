// The image on the X11 CLIPBOARD. X keeps no clipboard data: the owning client answers
// every paste itself, for as long as the image should stay pasteable. A thread with an X
// connection of its own does that, whatever the main loop is busy with (rounds, automation),
// until another program takes the selection; at quit the image goes to a clipboard manager
// when one runs. The connection is xcb's: its errors come back on the connection, so there
// is no process-wide error handler to share with SDL, and a vanished requestor costs nothing.
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/system/clipboard.h"
#include "platform/system/linux/selection_rules.h"

namespace plat {

size_t selectionChunkBytes(uint32_t maxRequestWords) {
    // A ChangeProperty request has a 24-byte header (28 with BIG-REQUESTS).
    constexpr size_t kHeaderMargin = 64;
    constexpr size_t kCap = 256 * 1024;
    const size_t bytes = static_cast<size_t>(maxRequestWords) * 4;
    if (bytes <= kHeaderMargin + 4) return 4;
    return std::min(kCap, bytes - kHeaderMargin);
}

namespace {

using Bytes = std::shared_ptr<const std::vector<uint8_t>>;
using Clock = std::chrono::steady_clock;

// A paste that takes no piece of an INCR answer for this long is given up.
constexpr auto kStalledTransfer = std::chrono::seconds(10);
// How long setClipboardImage waits for the owner to hold the selection.
constexpr auto kAcquireWait = std::chrono::seconds(3);
// Events taken before the owner looks at its asks and deadlines again, so a flood of
// requests cannot hold off a hand-over or a stop.
constexpr int kEventsPerTurn = 64;
// What releaseClipboard allows beyond its wait before it tells the owner to stop at once.
constexpr auto kReleaseGrace = std::chrono::milliseconds(500);

struct Atoms {
    xcb_atom_t clipboard = XCB_NONE;
    xcb_atom_t targets = XCB_NONE;
    xcb_atom_t timestamp = XCB_NONE;
    xcb_atom_t multiple = XCB_NONE;
    xcb_atom_t incr = XCB_NONE;
    xcb_atom_t png = XCB_NONE;
    xcb_atom_t atomPair = XCB_NONE;
    xcb_atom_t manager = XCB_NONE;
    xcb_atom_t saveTargets = XCB_NONE;
    xcb_atom_t stamp = XCB_NONE;  // our own window's property: server time, SAVE_TARGETS list
};

// Everything the owner thread works with; only that thread touches it once it runs.
struct XOwner {
    xcb_connection_t* conn = nullptr;
    xcb_window_t window = XCB_NONE;
    Atoms atoms;
    size_t chunk = 4;
    Bytes offered;  // what pastes get while we own the selection
    bool owned = false;
    xcb_timestamp_t ownTime = 0;
    bool acquiring = false;
    uint64_t acquiringSeq = 0;
    Bytes pending;  // the offer waiting for a server timestamp
    SelectionTransfers transfers;
    bool handOverWanted = false;  // asked for, waiting for a copy still being taken
    bool handingOver = false;     // asked of the manager, waiting for its answer
    Clock::time_point handOverDeadline;
    bool done = false;
    bool handOverSaved = false;
};

// Between the main thread and the owner thread, guarded by `m`.
struct Service {
    std::mutex m;
    std::condition_variable cv;
    std::thread thread;
    int wakeFd = -1;
    // asks
    uint64_t offerSeq = 0;
    Bytes offer;
    bool offerNew = false;
    bool handOverAsked = false;
    int32_t handOverMs = 0;
    bool stopAsked = false;
    // answers
    uint64_t ackSeq = 0;
    bool ackOwned = false;
    bool finished = false;
    bool handOverSaved = false;

    ~Service() {
        // No hand-over here: this runs at the end of any process, tests included.
        std::unique_lock lock(m);
        if (!thread.joinable()) return;
        stopAsked = true;
        wake();
        lock.unlock();
        thread.join();
        closeWake();
    }
    void wake() const {
        if (wakeFd < 0) return;
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(wakeFd, &one, sizeof one);
    }
    void closeWake() {
        if (wakeFd >= 0) ::close(wakeFd);
        wakeFd = -1;
    }
};

Service& service() {
    static Service s;
    return s;
}

// ---- X helpers -----------------------------------------------------------------------

xcb_atom_t intern(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = r ? r->atom : XCB_NONE;
    std::free(r);
    return atom;
}

xcb_window_t selectionOwner(xcb_connection_t* c, xcb_atom_t selection) {
    xcb_get_selection_owner_reply_t* r =
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr);
    const xcb_window_t owner = r ? r->owner : XCB_NONE;
    std::free(r);
    return owner;
}

void setProperty(XOwner& x, xcb_window_t window, xcb_atom_t property, xcb_atom_t type, uint8_t format,
                 size_t items, const void* data) {
    xcb_change_property(x.conn, XCB_PROP_MODE_REPLACE, window, property, type, format, static_cast<uint32_t>(items),
                        data);
}

// Server time is later-or-equal, allowing for the 32-bit wrap.
bool notBefore(xcb_timestamp_t t, xcb_timestamp_t since) { return static_cast<int32_t>(t - since) >= 0; }

// Connects, makes the unmapped window that owns the selection, names the atoms. Null when
// that fails; `retry` tells a dropped connection from having no display at all.
std::unique_ptr<XOwner> connectOnce(bool& retry) {
    retry = false;
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    auto fail = [&]() -> std::unique_ptr<XOwner> {
        retry = c && xcb_connection_has_error(c) == XCB_CONN_ERROR;
        if (c) xcb_disconnect(c);
        return nullptr;
    };
    if (!c || xcb_connection_has_error(c)) return fail();
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem; ++i) xcb_screen_next(&it);
    if (!it.rem) return fail();
    auto x = std::make_unique<XOwner>();
    x->conn = c;
    x->window = xcb_generate_id(c);
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, x->window, it.data->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, it.data->root_visual, XCB_CW_EVENT_MASK, &mask);
    Atoms& a = x->atoms;
    a.clipboard = intern(c, "CLIPBOARD");
    a.targets = intern(c, "TARGETS");
    a.timestamp = intern(c, "TIMESTAMP");
    a.multiple = intern(c, "MULTIPLE");
    a.incr = intern(c, "INCR");
    a.png = intern(c, "image/png");
    a.atomPair = intern(c, "ATOM_PAIR");
    a.manager = intern(c, "CLIPBOARD_MANAGER");
    a.saveTargets = intern(c, "SAVE_TARGETS");
    a.stamp = intern(c, "TARVION_SELECTION");
    x->chunk = selectionChunkBytes(xcb_get_maximum_request_length(c));
    x->transfers = SelectionTransfers(xcb_get_setup(c)->resource_id_mask);
    if (xcb_connection_has_error(c) || a.clipboard == XCB_NONE || a.png == XCB_NONE || a.stamp == XCB_NONE)
        return fail();
    return x;
}

std::unique_ptr<XOwner> connectOwner() {
    // A server may drop a connection made just as another client leaves (Xvfb does, now
    // and then): a few quick retries, but none when there is no display at all.
    for (int attempt = 0; attempt < 5; ++attempt) {
        bool retry = false;
        if (std::unique_ptr<XOwner> x = connectOnce(retry)) return x;
        if (!retry) return nullptr;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return nullptr;
}

// ---- Answers -------------------------------------------------------------------------

void watchRequestor(XOwner& x, xcb_window_t requestor, bool on) {
    const uint32_t mask = on ? (XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY) : 0;
    xcb_change_window_attributes(x.conn, requestor, XCB_CW_EVENT_MASK, &mask);
}

// Ends one transfer; the requestor's window stops being watched once nothing else runs there.
void endTransfer(XOwner& x, xcb_window_t requestor, xcb_atom_t property) {
    if (x.transfers.end(requestor, property)) watchRequestor(x, requestor, false);
}

// False when the requestor's client has as many INCR answers under way as it may.
bool sendData(XOwner& x, xcb_window_t requestor, xcb_atom_t property, xcb_atom_t type, const Bytes& data) {
    if (data->size() <= x.chunk) {
        setProperty(x, requestor, property, type, 8, data->size(), data->data());
        return true;
    }
    // INCR: the property first names the size; the pieces follow as the requestor deletes it.
    SelectionTransfer* t = x.transfers.start(requestor, property);
    if (!t) return false;
    t->type = type;
    t->data = data;
    t->lastStep = Clock::now();
    watchRequestor(x, requestor, true);
    const uint32_t size = static_cast<uint32_t>(std::min<size_t>(data->size(), UINT32_MAX));
    setProperty(x, requestor, property, x.atoms.incr, 32, 1, &size);
    return true;
}

// One target into one property; false when we have no such target.
bool convert(XOwner& x, xcb_window_t requestor, xcb_atom_t target, xcb_atom_t property) {
    const Atoms& a = x.atoms;
    if (target == a.targets) {
        const xcb_atom_t list[] = {a.targets, a.timestamp, a.multiple, a.png};
        setProperty(x, requestor, property, XCB_ATOM_ATOM, 32, 4, list);
        return true;
    }
    if (target == a.timestamp) {
        setProperty(x, requestor, property, XCB_ATOM_INTEGER, 32, 1, &x.ownTime);
        return true;
    }
    if (target == a.png) return sendData(x, requestor, property, a.png, x.offered);
    return false;
}

// MULTIPLE: the requestor's property lists (target, property) pairs; a pair we cannot answer
// gets None as its target, and the list goes back.
bool convertMultiple(XOwner& x, xcb_window_t requestor, xcb_atom_t property) {
    xcb_get_property_reply_t* r = xcb_get_property_reply(
        x.conn, xcb_get_property(x.conn, 0, requestor, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 4096), nullptr);
    if (!r || r->format != 32 || (r->type != x.atoms.atomPair && r->type != XCB_ATOM_ATOM)) {
        std::free(r);
        return false;
    }
    const xcb_atom_t* values = static_cast<const xcb_atom_t*>(xcb_get_property_value(r));
    std::vector<xcb_atom_t> pairs(values, values + xcb_get_property_value_length(r) / 4);
    const xcb_atom_t type = r->type;
    std::free(r);
    pairs.resize(pairs.size() / 2 * 2);
    for (size_t i = 0; i < pairs.size(); i += 2) {
        const bool ok = pairs[i + 1] != XCB_NONE && pairs[i] != x.atoms.multiple &&
                        convert(x, requestor, pairs[i], pairs[i + 1]);
        if (!ok) pairs[i] = XCB_NONE;
    }
    setProperty(x, requestor, property, type, 32, pairs.size(), pairs.data());
    return true;
}

void answerRequest(XOwner& x, const xcb_selection_request_event_t& r) {
    // Our own window is never a requestor of CLIPBOARD: answering into it would change our
    // window's properties and, when the answer ended, its event mask, without which no
    // later copy could take the selection. Nothing is sent to it either.
    if (r.requestor == x.window) return;
    // A requestor of the old kind names no property: the target's name serves.
    const xcb_atom_t property = r.property == XCB_NONE ? r.target : r.property;
    bool ok = false;
    const bool ours = r.selection == x.atoms.clipboard && x.owned && x.offered &&
                      (r.time == XCB_CURRENT_TIME || notBefore(r.time, x.ownTime));
    if (ours) {
        if (r.target == x.atoms.multiple)
            ok = r.property != XCB_NONE && convertMultiple(x, r.requestor, r.property);
        else
            ok = convert(x, r.requestor, r.target, property);
    }
    xcb_selection_notify_event_t n;
    std::memset(&n, 0, sizeof n);
    n.response_type = XCB_SELECTION_NOTIFY;
    n.time = r.time;
    n.requestor = r.requestor;
    n.selection = r.selection;
    n.target = r.target;
    n.property = ok ? property : XCB_NONE;
    // A sent event is always 32 bytes on the wire; the struct is shorter.
    char wire[32] = {};
    static_assert(sizeof n <= sizeof wire);
    std::memcpy(wire, &n, sizeof n);
    xcb_send_event(x.conn, 0, r.requestor, XCB_EVENT_MASK_NO_EVENT, wire);
}

void stepTransfer(XOwner& x, const xcb_property_notify_event_t& e) {
    SelectionTransfer* t = x.transfers.find(e.window, e.atom);
    if (!t) return;
    const size_t left = t->data->size() - t->offset;
    if (left == 0) {
        // The zero-length piece says the answer is complete.
        setProperty(x, t->requestor, t->property, t->type, 8, 0, nullptr);
        endTransfer(x, e.window, e.atom);
        return;
    }
    const size_t n = std::min(left, x.chunk);
    setProperty(x, t->requestor, t->property, t->type, 8, n, t->data->data() + t->offset);
    t->offset += n;
    t->lastStep = Clock::now();
}

// ---- Ownership and the hand-over -----------------------------------------------------

void acknowledge(Service& sv, uint64_t seq, bool owned) {
    std::lock_guard lock(sv.m);
    sv.ackSeq = std::max(sv.ackSeq, seq);
    sv.ackOwned = owned;
    sv.cv.notify_all();
}

void beginAcquire(XOwner& x, Bytes offer, uint64_t seq) {
    // The selection is taken at a real server time (from a property change on our window),
    // so TIMESTAMP can be answered and stale requests told apart.
    x.pending = std::move(offer);
    x.acquiring = true;
    x.acquiringSeq = seq;
    xcb_change_property(x.conn, XCB_PROP_MODE_APPEND, x.window, x.atoms.stamp, XCB_ATOM_STRING, 8, 0, nullptr);
}

void finishAcquire(Service& sv, XOwner& x, xcb_timestamp_t time) {
    x.acquiring = false;
    xcb_set_selection_owner(x.conn, x.window, x.atoms.clipboard, time);
    const bool owned = selectionOwner(x.conn, x.atoms.clipboard) == x.window;
    if (owned) {
        x.owned = true;
        x.ownTime = time;
        x.offered = std::move(x.pending);
    }
    x.pending.reset();
    acknowledge(sv, x.acquiringSeq, owned);
}

void endHandOver(XOwner& x, bool saved) {
    x.handOverWanted = false;
    x.handingOver = false;
    x.handOverSaved = saved;
    x.done = true;
}

void beginHandOver(XOwner& x) {
    x.handOverWanted = false;
    if (!x.owned || selectionOwner(x.conn, x.atoms.manager) == XCB_NONE) {
        endHandOver(x, false);
        return;
    }
    // The targets worth keeping, in our window's property, as the manager protocol has it.
    const xcb_atom_t keep[] = {x.atoms.png};
    setProperty(x, x.window, x.atoms.stamp, XCB_ATOM_ATOM, 32, 1, keep);
    xcb_convert_selection(x.conn, x.window, x.atoms.manager, x.atoms.saveTargets, x.atoms.stamp, x.ownTime);
    x.handingOver = true;
}

void handleEvent(Service& sv, XOwner& x, xcb_generic_event_t* ev) {
    switch (ev->response_type & 0x7f) {
        case 0: {
            // An error, usually a requestor window that went away mid-answer.
            const auto* e = reinterpret_cast<const xcb_generic_error_t*>(ev);
            if (e->error_code == XCB_WINDOW) x.transfers.endAllOf(e->resource_id);
            break;
        }
        case XCB_SELECTION_REQUEST:
            answerRequest(x, *reinterpret_cast<const xcb_selection_request_event_t*>(ev));
            break;
        case XCB_SELECTION_CLEAR: {
            const auto* e = reinterpret_cast<const xcb_selection_clear_event_t*>(ev);
            // Another program has the clipboard now (answers under way still finish). Any
            // client may send us this event, so the server is asked who owns it.
            if (e->selection == x.atoms.clipboard && x.owned && notBefore(e->time, x.ownTime) &&
                selectionOwner(x.conn, x.atoms.clipboard) != x.window) {
                x.owned = false;
                x.offered.reset();
            }
            break;
        }
        case XCB_PROPERTY_NOTIFY: {
            const auto* e = reinterpret_cast<const xcb_property_notify_event_t*>(ev);
            if (e->window == x.window) {
                if (x.acquiring && e->atom == x.atoms.stamp && e->state == XCB_PROPERTY_NEW_VALUE)
                    finishAcquire(sv, x, e->time);
            } else if (e->state == XCB_PROPERTY_DELETE) {
                stepTransfer(x, *e);
            }
            break;
        }
        case XCB_SELECTION_NOTIFY: {
            const auto* e = reinterpret_cast<const xcb_selection_notify_event_t*>(ev);
            if (x.handingOver && e->requestor == x.window && e->selection == x.atoms.manager &&
                e->target == x.atoms.saveTargets)
                endHandOver(x, e->property != XCB_NONE);
            break;
        }
        case XCB_DESTROY_NOTIFY:
            x.transfers.endAllOf(reinterpret_cast<const xcb_destroy_notify_event_t*>(ev)->window);
            break;
        default: break;
    }
}

// Takes what the main thread asked for since the last look.
void takeAsks(Service& sv, XOwner& x) {
    Bytes offer;
    uint64_t seq = 0;
    bool handOver = false, stop = false;
    int32_t waitMs = 0;
    {
        std::lock_guard lock(sv.m);
        if (sv.offerNew) {
            offer = std::move(sv.offer);
            seq = sv.offerSeq;
            sv.offerNew = false;
        }
        handOver = sv.handOverAsked && !x.handOverWanted && !x.handingOver;
        sv.handOverAsked = false;
        waitMs = sv.handOverMs;
        stop = sv.stopAsked;
    }
    if (stop) {
        x.done = true;
        return;
    }
    if (offer) beginAcquire(x, std::move(offer), seq);
    if (handOver) {
        // A copy still being taken goes to the manager once it is ours.
        x.handOverWanted = true;
        x.handOverDeadline = Clock::now() + std::chrono::milliseconds(std::max(0, waitMs));
    }
}

int pollTimeoutMs(const XOwner& x) {
    Clock::time_point next = Clock::time_point::max();
    const Clock::time_point oldest = x.transfers.oldestStep();
    if (oldest != Clock::time_point::max()) next = oldest + kStalledTransfer;
    if (x.handOverWanted || x.handingOver) next = std::min(next, x.handOverDeadline);
    if (next == Clock::time_point::max()) return -1;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(ms + 1, 0, 60000));
}

void ownerMain(Service& sv, std::unique_ptr<XOwner> owner) {
    XOwner& x = *owner;
    while (!x.done) {
        takeAsks(sv, x);
        if (x.done) break;
        int taken = 0;
        while (taken < kEventsPerTurn) {
            xcb_generic_event_t* ev = xcb_poll_for_event(x.conn);
            if (!ev) break;
            handleEvent(sv, x, ev);
            std::free(ev);
            ++taken;
        }
        // More may wait in xcb's queue, where poll() cannot see them.
        const bool more = taken == kEventsPerTurn;
        if (xcb_connection_has_error(x.conn)) break;
        if (x.handOverWanted && !x.acquiring) {
            beginHandOver(x);
            continue;  // its round trip may have queued events: take them before waiting
        }
        const Clock::time_point now = Clock::now();
        for (xcb_window_t idle : x.transfers.endStalled(now - kStalledTransfer)) watchRequestor(x, idle, false);
        if ((x.handOverWanted || x.handingOver) && now >= x.handOverDeadline) endHandOver(x, false);
        if (x.done) break;
        xcb_flush(x.conn);
        pollfd fds[2] = {{xcb_get_file_descriptor(x.conn), POLLIN, 0}, {sv.wakeFd, POLLIN, 0}};
        if (::poll(fds, 2, more ? 0 : pollTimeoutMs(x)) > 0 && (fds[1].revents & POLLIN)) {
            uint64_t count = 0;
            [[maybe_unused]] ssize_t n = ::read(sv.wakeFd, &count, sizeof count);
        }
    }
    const bool saved = x.handOverSaved;
    xcb_destroy_window(x.conn, x.window);
    xcb_flush(x.conn);
    xcb_disconnect(x.conn);
    std::lock_guard lock(sv.m);
    sv.finished = true;
    sv.handOverSaved = saved;
    sv.cv.notify_all();
}

// Joins an owner thread that has ended (its server went away, or a hand-over) and clears
// the service for a new one. Called with the lock held.
void reapFinished(Service& sv, std::unique_lock<std::mutex>& lock) {
    if (!sv.thread.joinable() || !sv.finished) return;
    lock.unlock();
    sv.thread.join();
    lock.lock();
    sv.closeWake();
    sv.finished = false;
    sv.offer.reset();
    sv.offerNew = false;
    sv.handOverAsked = false;
    sv.stopAsked = false;
}

bool startOwner(Service& sv, std::unique_lock<std::mutex>& lock) {
    reapFinished(sv, lock);
    if (sv.thread.joinable()) return true;
    std::unique_ptr<XOwner> x = connectOwner();
    if (!x) return false;
    sv.wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (sv.wakeFd < 0) {
        xcb_disconnect(x->conn);
        return false;
    }
    sv.handOverSaved = false;
    sv.thread = std::thread(ownerMain, std::ref(sv), std::move(x));
    return true;
}

}  // namespace

bool clipboardImageSupported() { return true; }

bool setClipboardImage(void*, const std::vector<uint8_t>&, const std::vector<uint8_t>& png) {
    // X11 clients paste images as "image/png"; the bitmap form has no target of its own here.
    if (png.empty()) return false;
    Service& sv = service();
    std::unique_lock lock(sv.m);
    if (!startOwner(sv, lock)) return false;
    const uint64_t seq = ++sv.offerSeq;
    sv.offer = std::make_shared<const std::vector<uint8_t>>(png);
    sv.offerNew = true;
    sv.wake();
    sv.cv.wait_for(lock, kAcquireWait, [&] { return sv.ackSeq >= seq || sv.finished; });
    return sv.ackSeq >= seq && sv.ackOwned && !sv.finished;
}

bool releaseClipboard(int32_t maxWaitMs) {
    Service& sv = service();
    std::unique_lock lock(sv.m);
    if (!sv.thread.joinable()) return false;
    if (!sv.finished) {
        sv.handOverAsked = true;
        sv.handOverMs = maxWaitMs;
        sv.wake();
    }
    // The owner thread ends by itself: after the manager's answer or the wait. Should it not
    // (a flood of requests), it is told to stop, which it heeds between two turns.
    const auto limit = std::chrono::milliseconds(std::max(0, maxWaitMs)) + kReleaseGrace;
    if (!sv.cv.wait_for(lock, limit, [&] { return sv.finished; })) {
        sv.stopAsked = true;
        sv.wake();
        sv.cv.wait(lock, [&] { return sv.finished; });
    }
    const bool saved = sv.handOverSaved;
    reapFinished(sv, lock);
    return saved;
}

}  // namespace plat
