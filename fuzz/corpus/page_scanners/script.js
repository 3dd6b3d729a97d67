import * as THREE from "three";
import { a } from "./lib/module.mjs";
const r = /import "x"/; // eval("no")
const t = `${eval(code)}`;
setTimeout("tick()", 10); setInterval(() => 1, 5);
new Worker("w.js"); navigator.serviceWorker.register("s.js"); WebAssembly.instantiate(b);
window.Function("return 1"); import("https://cdn.example.com/x.js");
export { b } from "data:text/javascript,1";
