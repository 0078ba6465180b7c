// Structural check of compiled action lists with avm1-parser: every action decodes, and
// every branch target that its control-flow parse finds starts an action.
// Usage: node avm1_check.mjs FILE...   (each file holds the raw action bytes of one list)
// Prints one line per file: "ok NAME" or "bad NAME: problems".
import { readFileSync } from "node:fs";
import { basename } from "node:path";
import { Avm1Parser, parseCfg } from "avm1-parser";

const RAW = 256;
const ERROR = 257;
const FLOW_ERROR = 0;

function boundaries(bytes, problems) {
  const starts = new Set();
  const parser = new Avm1Parser(bytes);
  while (parser.getBytePos() < bytes.length) {
    const at = parser.getBytePos();
    starts.add(at);
    const action = parser.readNext();
    if (action.action === RAW || action.action === ERROR)
      problems.push(`undecodable action at ${at}`);
    if (parser.getBytePos() <= at) break;
  }
  starts.add(bytes.length);
  return starts;
}

function walk(node, starts, problems) {
  if (Array.isArray(node)) {
    for (const item of node) walk(item, starts, problems);
    return;
  }
  if (node === null || typeof node !== "object") return;
  if (typeof node.label === "string" && Array.isArray(node.actions)) {
    const offset = Number(node.label.split("_").pop());
    if (!starts.has(offset)) problems.push(`branch into the middle of an action at ${offset}`);
    if (node.flow && node.flow.type === FLOW_ERROR) problems.push(`flow error in ${node.label}`);
    for (const action of node.actions)
      if (action.action === RAW || action.action === ERROR)
        problems.push(`undecodable action in ${node.label}`);
  }
  for (const value of Object.values(node)) walk(value, starts, problems);
}

for (const file of process.argv.slice(2)) {
  const bytes = new Uint8Array(readFileSync(file));
  const problems = [];
  try {
    const starts = boundaries(bytes, problems);
    walk(parseCfg(bytes), starts, problems);
  } catch (error) {
    problems.push(`parser failed: ${error.message}`);
  }
  const name = basename(file);
  console.log(problems.length ? `bad ${name}: ${problems.join("; ")}` : `ok ${name}`);
}
