// The station's panel in a browser: the same lines as the line API, one per WebSocket
// message. It paints what the S0 lines say and sends each key as one command.
"use strict";

const tokenField = document.getElementById("token");
tokenField.value = localStorage.getItem("orvikToken") || "";
let socket = null;
let seq = 0;
const waiting = new Map(); // seq -> what to do with the answer lines

function field(text, key) {
  for (const word of text.split(" ")) {
    const at = word.indexOf("=");
    if (at > 0 && word.slice(0, at) === key) return decodeURIComponent(word.slice(at + 1));
  }
  return "";
}
function numbers(list) {
  return list ? list.split(",").map(Number) : [];
}
function say(text) {
  document.getElementById("message").textContent = text;
}

function send(command, onAnswer) {
  if (!socket || socket.readyState !== WebSocket.OPEN) return;
  seq = seq % 65535 + 1;
  if (onAnswer) waiting.set(seq, onAnswer);
  socket.send("C" + seq + "|" + command);
}

function paintSwitch(text) {
  const tx = Number(field(text, "tx"));
  const split = field(text, "split") === "1";
  const splitTx = Number(field(text, "splittx"));
  const busy = numbers(field(text, "busy"));
  const group = numbers(field(text, "group"));
  for (const key of document.querySelectorAll("[data-tx]")) {
    const n = Number(key.dataset.tx);
    key.classList.toggle("selected", n === tx && !split);
    key.classList.toggle("standby", split && n === tx);
    key.classList.toggle("active", split && n === splitTx);
    key.classList.toggle("group", group.includes(n) && n !== tx);
    key.classList.toggle("busy", busy.includes(n));
  }
  for (const lamp of document.querySelectorAll("[data-busy]"))
    lamp.classList.toggle("busy", busy.includes(Number(lamp.dataset.busy)));
  document.getElementById("split").classList.toggle("alert", split);
  document.getElementById("group").classList.toggle("group", group.length > 0);
  const rotor = Number(field(text, "rotor"));
  const rotorLamp = document.getElementById("rotor");
  rotorLamp.textContent = rotor ? "ROTOR " + rotor : "ROTOR";
  rotorLamp.classList.toggle("alert", rotor > 0);
  document.getElementById("send").classList.toggle("alert", field(text, "transmitting") === "1");
  const rxMode = field(text, "rxmode") === "1";
  for (const key of document.querySelectorAll("[data-rx]"))
    key.classList.toggle("rxselected", !rxMode && key.dataset.rx === "RTX");
  const by = field(text, "by");
  if (by) say("Last change: " + by);
}

function paintLink(text) {
  const up = field(text, "state") === "up";
  document.getElementById("power").classList.toggle("linkup", up);
  if (!up) {
    for (const key of document.querySelectorAll(".selected, .standby, .active, .group, .busy"))
      key.classList.remove("selected", "standby", "active", "group", "busy");
    say("Switch offline: " + field(text, "reason"));
  }
}

function received(line) {
  if (line.startsWith("S0|switch ")) return paintSwitch(line.slice(10));
  if (line.startsWith("S0|link ")) return paintLink(line.slice(8));
  if (line.startsWith("S0|follow ")) {
    const band = field(line.slice(10), "band");
    document.getElementById("follow").textContent =
      field(line.slice(10), "state") || band || "—";
    return;
  }
  if (line.startsWith("V")) return greeted(line);
  const parts = line.split("|");
  if (parts.length < 3 || parts[0][0] !== "R") return;
  const answer = waiting.get(Number(parts[0].slice(1)));
  if (answer) answer(parts[1], parts.slice(2).join("|"));
  else if (parts[1] !== "00") say("Refused (" + parts[1] + "): " + decodeURIComponent(parts[2]));
}

function greeted(line) {
  document.getElementById("station").textContent = "Orvik " + field(line, "name");
  const start = () => {
    send("antenna list", (code, text) => {
      if (code !== "00" || !text) return;
      const words = text.split(" ");
      const label = field(text, "name");
      const key = words[0] === "antenna" ? "[data-tx=\"" + Number(words[1]) + "\"] span"
                                         : "[data-rx=\"" + words[1] + "\"]";
      const node = document.querySelector(key);
      if (node && words[0] === "antenna") node.textContent = label;
      else if (node) node.textContent = label;
    });
    send("sub all");
  };
  if (!line.endsWith(" AUTH")) return start();
  send("auth token=" + tokenField.value.trim(), (code) => {
    if (code === "00") start();
    else say(code === "FF" ? "The token was refused." : "Not authenticated.");
  });
}

function connect() {
  if (socket) socket.close();
  const scheme = location.protocol === "https:" ? "wss://" : "ws://";
  socket = new WebSocket(scheme + location.host + "/ws");
  socket.onmessage = (event) => received(String(event.data));
  socket.onclose = () => {
    document.getElementById("power").classList.remove("linkup");
    say("Not connected to the station.");
  };
}

document.getElementById("connect").addEventListener("click", () => {
  localStorage.setItem("orvikToken", tokenField.value.trim());
  connect();
});
for (const key of document.querySelectorAll("[data-tx]"))
  key.addEventListener("click", () => send("select tx=" + key.dataset.tx));
for (const key of document.querySelectorAll("[data-rx]"))
  key.addEventListener("click", () => send("select rx=" + key.dataset.rx));
document.querySelector("[data-release]").addEventListener("click", () => send("release"));
connect();
