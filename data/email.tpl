<!DOCTYPE html>
<html lang="en">
<head>
<meta http-equiv="Content-Type" content="text/html; charset=UTF-8">
<meta name="viewport" content="width=device-width, initial-scale=1.0">
<title>[[title]]</title>
<style type="text/css">
  img { max-width: 100% !important; height: auto !important; }
  table { border-collapse: collapse; }
</style>
</head>
<body style="margin:0; padding:0; background-color:#eef1f4;">
<!-- The closing body and html tags are left out on purpose: the sender adds a
     disclaimer after this text, and it has to stay inside the body. -->
<table role="presentation" width="100%" cellpadding="0" cellspacing="0" border="0" bgcolor="#eef1f4" style="background-color:#eef1f4;">
<tr>
<td align="center" style="padding:24px 12px;">
<table role="presentation" width="600" cellpadding="0" cellspacing="0" border="0" bgcolor="#ffffff" style="width:100%; max-width:600px; background-color:#ffffff; border:1px solid #d8dde3;">
<tr>
<td bgcolor="#1f5f8b" style="background-color:#1f5f8b; padding:14px 24px; font-family:Verdana, Arial, Helvetica, sans-serif; font-size:13px; line-height:18px; color:#ffffff;">
An article shared with you
</td>
</tr>
<tr>
<td style="padding:20px 24px 8px 24px; font-family:Verdana, Arial, Helvetica, sans-serif; font-size:14px; line-height:21px; color:#333333;">
<table role="presentation" width="100%" cellpadding="0" cellspacing="0" border="0">
<tr>
<td bgcolor="#f6f8fa" style="background-color:#f6f8fa; border-left:4px solid #1f5f8b; padding:12px 16px; font-family:Verdana, Arial, Helvetica, sans-serif; font-size:14px; line-height:21px; color:#333333;">
[[personal_message]]
<br><br>
<span style="font-weight:bold; color:#1f5f8b;">[[from_name]]</span>
</td>
</tr>
</table>
</td>
</tr>
<tr>
<td style="padding:16px 24px 4px 24px; font-family:Georgia, 'Times New Roman', Times, serif; font-size:22px; line-height:29px; font-weight:bold; color:#1a1a1a;">
[[title]]
</td>
</tr>
<tr>
<td style="padding:8px 24px 24px 24px; font-family:Verdana, Arial, Helvetica, sans-serif; font-size:14px; line-height:22px; color:#333333; word-wrap:break-word; overflow-wrap:break-word;">
[[description]]
</td>
</tr>
</table>
</td>
</tr>
</table>
