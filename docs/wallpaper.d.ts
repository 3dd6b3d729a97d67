// The page API of a Tessary wallpaper: what `window.wallpaper` offers a page that plays
// in the player (or in `wallpkg preview`). See docs/authoring.md for when each part
// happens. Reference it from a script with
//   /// <reference path="wallpaper.d.ts" />
// or list it in a jsconfig.json / tsconfig.json beside the wallpaper's files.

/** Playback as the player last told it to the page. */
interface WallpaperState {
  /** True while the page should not draw: the user paused, the display is off, the
   * session is locked, or (on the desktop) a window covers the screen. Meanwhile the
   * player holds `requestAnimationFrame` callbacks until play resumes and pauses the
   * document's running CSS animations and transitions, Web Animations and media
   * elements; on resume it resumes only those it paused. Timers, workers and drawing
   * outside animation frames stay the page's to stop. */
  readonly paused: boolean;
  /** The frame rate to draw at: the user's choice, else the manifest's `fps`. Starts at
   * 30 until the first state arrives. From the first state on, the player runs
   * `requestAnimationFrame` callbacks at most this often (held, never dropped). */
  readonly fps: 30 | 60;
  /** Wallpapers play muted; always 0. */
  readonly volume: 0;
}

/** A left click on the desktop over the wallpaper, as fractions of the page's width and
 * height: 0 <= x < 1 from the left, 0 <= y < 1 from the top. */
interface WallpaperClick {
  readonly x: number;
  readonly y: number;
}

/** The events the player pushes into the page, by name. */
interface WallpaperEventMap {
  /** Pushed once the page is ready, and again whenever `paused` or `fps` changes. */
  state: WallpaperState;
  click: WallpaperClick;
}

interface WallpaperApi {
  /** A frozen copy of the last state; inside a "state" handler it already holds the new
   * values. */
  readonly state: WallpaperState;
  /** Take readiness into the page's own hands. Call it before the window's `load` event;
   * then call `ready()` once the first usable frame is up. */
  deferReady(): void;
  /** Report readiness (once; ignored after `failed()`). Without `deferReady()` the
   * player reports it itself on `load`. */
  ready(): void;
  /** Report that the wallpaper cannot work (once). The player shows the failure. */
  failed(): void;
  /** Subscribe to an event. The same function is registered once per event. Returns a
   * function that unsubscribes it. */
  on<K extends keyof WallpaperEventMap>(event: K, handler: (detail: WallpaperEventMap[K]) => void): () => void;
}

interface Window {
  /** Installed by the player before any script of the page runs; frozen. Frames inside
   * the page do not get it. */
  readonly wallpaper: WallpaperApi;
}
